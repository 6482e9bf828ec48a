// Named ids of the German texts (1001–1999); a control carries its caption id
// as its tag and GetText translates it into the selected language. Controls
// are named after the control, messages and status texts after their role.
// Captions 1001–1319 are the long-established ids; 1320–1499 were added for
// captions and messages that had no id yet. The hint of the control whose
// caption is r is r + 500 (HintOf). A radio group whose id is a multiple of 10
// takes its items from the ids that follow it. Ids in 1500–1549 that no
// caption's hint takes are free for messages and for the hints of controls
// without a caption, which carry that id in their property "hint".
#pragma once

inline constexpr int HintOffset = 500;
constexpr int HintOf(int captionId) { return captionId + HintOffset; }

namespace TextId {

// Language name (text 1 of every block) and the buttons of every page
inline constexpr int LanguageName = 1001;
inline constexpr int btnClose = 1002;  // "S&chließen", every close button
inline constexpr int btnHelp = 1008;   // "&Hilfe", every help button

// Pages of the main window
inline constexpr int tabTamarik = 1010;
inline constexpr int tabSchnittstelle = 1011;
inline constexpr int tabDaten = 1012;
inline constexpr int tabZeit = 1013;
inline constexpr int tabZeitPlugInSuffix = 1014;  // "/PlugIn", follows text 1013 on the tab
inline constexpr int tabInfo = 1015;
inline constexpr int tabProtokollbegrenzung = 1127;
inline constexpr int tabUSB = 1170;
inline constexpr int tabCAN = 1313;

// Status bar
inline constexpr int StatusProtokollierung = 1120;  // "Protokollierung:"
inline constexpr int StatusAn = 1125;
inline constexpr int StatusAus = 1126;
inline constexpr int MsgStatusBarFailed = 1336;  // "StBar creating failed!"

// Interface page: operating mode
inline constexpr int grpArt = 1020;
inline constexpr int rgrpA = 1021;
inline constexpr int rgrpB = 1022;
inline constexpr int rgrpC = 1023;
inline constexpr int rgrpD = 1024;
inline constexpr int Label1 = 1025;  // "gleichzeitig in beide Richtungen"
inline constexpr int rgrpE = 1036;
inline constexpr int rgrpF = 1108;
inline constexpr int rgrpG = 1150;
inline constexpr int rgrpH = 1282;
inline constexpr int lbSPS = 1380;
inline constexpr int lbPC = 1381;

// Interface page: ports and line settings
inline constexpr int grpSSA = 1026;
inline constexpr int grpSSB = 1027;
inline constexpr int grpUSB = 1151;
inline constexpr int UsbModeV24 = 1152;  // the USB sub-modes 1152 … 1158, in list order
inline constexpr int UsbModeRS422RS485 = 1153;
inline constexpr int UsbModeCAN = 1154;
inline constexpr int UsbModeFrequency = 1155;
inline constexpr int UsbModeRS485 = 1156;
inline constexpr int UsbModeLIN = 1157;
inline constexpr int UsbModeSingleWireCAN = 1158;
inline constexpr int spBaud = 1289;  // "Port A=B"
inline constexpr int spBaudA = 1287;
inline constexpr int spBaudB = 1288;
inline constexpr int grpBaud = 1029;
inline constexpr int BaudAndere = 1039;  // item 0 of grpBaud, also lbOtherBaud
inline constexpr int BaudMessen = 1285;  // item 1 of grpBaud in the USB modes
inline constexpr int grpDaten = 1037;
inline constexpr int grpStop = 1031;
inline constexpr int grpParitaet = 1040;  // items 1041 … 1045
inline constexpr int ParitaetMark = 1044;
inline constexpr int ParitaetSpace = 1045;
inline constexpr int grpFluss = 1090;  // items 1091 … 1093
inline constexpr int chkFlowSignals = 1272;
inline constexpr int rgrpSprache = 1035;
inline constexpr int chkSound = 1032;
inline constexpr int Label8 = 1033;  // the note below chkSound
inline constexpr int chkCTSDSR = 1085;
inline constexpr int chkError = 1314;
inline constexpr int btnOK1 = 1007;  // "Übernehmen"
inline constexpr int Label3 = 1034;  // "=> Schnittstelle neu öffnen"
inline constexpr int btnOK1Trennen = 1273;
inline constexpr int Label3Trennen = 1274;
inline constexpr int chkIPSend = 1110;
inline constexpr int grpIPentfernt = 1382;
inline constexpr int RasNotInstalled = 1100;
inline constexpr int NoDialUpConnection = 1101;

// Interface page: messages. An open failure reads 1057 + port name + 1058.
inline constexpr int MsgBaudrateMissing = 1038;
inline constexpr int MsgPortsMustDiffer = 1056;
inline constexpr int MsgPortOpenFailedBefore = 1057;
inline constexpr int MsgPortOpenFailedAfter = 1058;
inline constexpr int MsgCheckBaudrate = 1059;
inline constexpr int MsgModeNotAvailable = 1480;  // the USB modes are not built yet

// Interface page: frequency measurement
inline constexpr int grpFQIN = 1250;  // items 1251 … 1254
inline constexpr int Label2 = 1243;   // "Zyklus:"
inline constexpr int edFQZyk = 1242;

// Trace page
inline constexpr int chkProtZeit = 1320;
inline constexpr int chkProtZeitDiff = 1321;
inline constexpr int chkTextBegin = 1322;
inline constexpr int chkProtZeitEnde = 1323;
inline constexpr int chkProtZyk = 1324;    // "Alle"
inline constexpr int ProtZykLabel = 1325;  // "Minuten ein Protokolleintrag …"
inline constexpr int btnPauseWeiter = 1326;  // caption while paused
inline constexpr int btnPause = 1327;        // caption while running
inline constexpr int SearchCaption = 1328;
inline constexpr int SearchPrompt = 1329;
inline constexpr int MsgSearchNoMore = 1330;
inline constexpr int popWordWrap = 1331;
inline constexpr int chkProtScroll = 1332;
inline constexpr int chkColorNeg = 1333;
inline constexpr int SDlg = 1084;  // save dialog title
inline constexpr int SDlgFilter = 1334;
inline constexpr int popDatenSenden = 1263;

// Info page
inline constexpr int Label9 = 1311;       // the page's title
inline constexpr int InfoVersion = 1335;  // "Version:"
inline constexpr int btnCheckNewVersion = 1144;
inline constexpr int MsgNewVersion = 1145;
inline constexpr int MsgNoNewVersion = 1146;
inline constexpr int MsgVersionFileFailed = 1357;  // + the reason

// Data conversion page
inline constexpr int CodeseiteLabel = 1340;
inline constexpr int CodePageAscii = 1341;  // the built-in pages 1341 … 1345, in list order
inline constexpr int CodePageAnsi = 1342;
inline constexpr int CodePageOem = 1343;
inline constexpr int CodePageDezimal = 1344;
inline constexpr int CodePageHexadezimal = 1345;
inline constexpr int CodeAendernPrompt = 1070;
inline constexpr int mnCodeNeu = 1071;
inline constexpr int mnCodeKopieren = 1072;
inline constexpr int mnCodeLoeschen = 1073;
inline constexpr int MsgDeleteCodePage = 1074;
inline constexpr int MsgSequenceNotStorable = 1139;
inline constexpr int lstCodesLabel = 1346;
inline constexpr int chkZeichBegr = 1352;
inline constexpr int ZeichBegrUnit = 1353;  // "empfangene Zeichen je Zeile"
inline constexpr int chkZwPause = 1354;
inline constexpr int UnitMs = 1305;  // "ms"
inline constexpr int chkDatenAend = 1356;
inline constexpr int chkTextEnde = 1460;
inline constexpr int lbTextPC = 1461;
inline constexpr int lbTextSPS = 1462;

// Protocol limit page
inline constexpr int lstStartProtLabel = 1347;
inline constexpr int lstStopProtLabel = 1348;
inline constexpr int lstStartProtListLabel = 1349;
inline constexpr int lstStopProtListLabel = 1350;
inline constexpr int edProtCharLabel = 1351;
inline constexpr int chkProtWechsel = 1355;

// Time/plug-in page: log files
inline constexpr int chkOnlineLog = 1360;
inline constexpr int chkOnlineRohLog = 1361;
inline constexpr int LogOptionsGroup = 1362;
inline constexpr int chkLogFile = 1363;
inline constexpr int rbLogFile1 = 1364;
inline constexpr int rbLogFile2 = 1365;
inline constexpr int rbLogFile3 = 1366;
inline constexpr int chkNoPortA = 1367;
inline constexpr int chkNoPortB = 1368;
inline constexpr int SDlgRoh = 1369;
inline constexpr int SDlgRohFilter = 1370;
inline constexpr int MsgFileExists = 1371;
inline constexpr int LogRestartLine = 1372;  // "Neustart Tamarik"

// Time/plug-in page: plug-in
inline constexpr int chkUsePlugin = 1140;
inline constexpr int PlugInDllLabel = 1141;
inline constexpr int PlugInOpenTitle = 1142;
inline constexpr int btnPlugInParam = 1143;
inline constexpr int PlugInOpenFilter = 1451;
inline constexpr int MsgPlugInError = 1452;

// CAN page
inline constexpr int grpCANRegister = 1308;
inline constexpr int btnInitCAN = 1309;
inline constexpr int grpCANFilter = 1310;
inline constexpr int btnPrgAtmelCAN = 1393;
inline constexpr int rgrpCANQuarz = 1394;  // its items are numbers and stay as they are
inline constexpr int edCANBTR0Label = 1395;
inline constexpr int edCANBTR1Label = 1396;
inline constexpr int chkCANRS = 1397;
inline constexpr int rgrpCANLOM = 1390;  // items 1391, 1392
inline constexpr int rgrpCANAFM = 1400;  // items 1401, 1402
inline constexpr int edCANACRLabel = 1398;
inline constexpr int edCANAMRLabel = 1399;
inline constexpr int MsgHexConversion = 1403;

// USB page
inline constexpr int rDev = 1180;  // items 1181 … 1184
inline constexpr int lbPE = 1337;
inline constexpr int lbPA = 1338;
inline constexpr int lbPALen = 1339;
inline constexpr int chkUSBAutoRead = 1420;
inline constexpr int MsgUsbDeviceNotFound = 1211;
inline constexpr int MsgUsbDeviceNotConnected = 1416;
inline constexpr int StatusV24Started = 1410;  // the firmware status texts 1410 … 1415
inline constexpr int StatusRS4xxStarted = 1411;
inline constexpr int StatusCanStarted = 1412;
inline constexpr int StatusFrequencyStarted = 1413;
inline constexpr int StatusBaudmessStarted = 1414;
inline constexpr int StatusBlinkLedStarted = 1415;
inline constexpr int StatusFileWritten = 1417;
inline constexpr int StatusBytes = 1418;
inline constexpr int MsgAddressOverflow = 1419;
inline constexpr int EepromFound = 1421;
inline constexpr int EepromNotFound = 1422;
inline constexpr int StatusDeviceName = 1423;
inline constexpr int UsbOpenFileTitle = 1424;
inline constexpr int FilterHexFormat = 1240;
inline constexpr int FilterBinaryFile = 1214;
inline constexpr int FilterIicFormat = 1298;
inline constexpr int MsgUsbSendFailed = 1425;
inline constexpr int StatusUsbDriverVersion = 1426;
inline constexpr int MsgChooseUsbMode = 1427;
inline constexpr int MsgBaudrateNotUsable = 1428;
inline constexpr int StatusEepromErased = 1429;
inline constexpr int StatusEepromWritten = 1430;

// Driver installation dialog
inline constexpr int tabCopy = 1218;
inline constexpr int tabUpdate = 1217;
inline constexpr int tabDisk = 1215;
inline constexpr int tabInstall = 1216;
inline constexpr int tabFertig = 1220;
inline constexpr int tabFertigRestart = 1226;
inline constexpr int MsgDirNotCreated = 1229;
inline constexpr int tabCopyUdev = 1486;   // the copy page when the box may not be opened
inline constexpr int tabFertigUdev = 1487;  // the last page: how to reload the rules
inline constexpr int btnAbbruch = 1219;  // also in the send and programmer dialogs

// Send dialog
inline constexpr int SendTabDaten = 1264;
inline constexpr int SendTabDatei = 1303;
inline constexpr int lbrbA = 1265;
inline constexpr int lbrbB = 1266;
inline constexpr int chkCRAdd = 1270;
inline constexpr int chkLFAdd = 1271;
inline constexpr int chkBrkAdd = 1318;
inline constexpr int chkBrkAddRtr = 1319;  // the same box in the CAN modes
inline constexpr int chkWartAfterLine = 1304;
inline constexpr int btnSend = 1267;
inline constexpr int ODlg = 1306;
inline constexpr int ODlgFilter = 1307;  // "Alle Dateien", followed by "|*.*"
inline constexpr int MsgWrongCanId = 1440;
inline constexpr int SendLabel3 = 1305;  // "ms" after edWartAfterLine
inline constexpr int MsgUsbSendNotAvailable = 1465;
inline constexpr int MsgSendPortClosed = 1466;  // followed by the port's name

// AVR programmer dialog
inline constexpr int ProgAtmelCaption = 1441;
inline constexpr int tabMain = 1442;
inline constexpr int btnStartConnect = 1443;
inline constexpr int btnErase = 1444;
inline constexpr int btnSendFile = 1174;
inline constexpr int btnStartDev = 1445;
inline constexpr int tabExtra = 1446;
inline constexpr int btnSetExtra = 1447;
inline constexpr int StatusSende = 1448;  // "Sende: " followed by the attempt count
inline constexpr int StatusSendeStop = 1449;
inline constexpr int StatusStart = 1450;

// Trace and time pages: captions that had no id
inline constexpr int btnLoesch = 1453;
inline constexpr int btnSpeichern = 1454;
inline constexpr int popLoeschen = 1455;
inline constexpr int popSuchen = 1456;
inline constexpr int popWeitersuchen = 1457;
inline constexpr int chkMs = 1458;
inline constexpr int grpProtZeit = 1459;  // "Zeitstempel"
inline constexpr int chkLogBegrenzen = 1463;

// Help: the system could not open the page; the address follows
inline constexpr int MsgHelpNotOpened = 1464;

// A log that stopped by itself (its error follows), a save onto the file a
// log writes, and a port that is not there (1057 + name + 1506)
inline constexpr int MsgOnlineLogStopped = 1503;
inline constexpr int MsgRawLogStopped = 1504;
inline constexpr int MsgFileIsLog = 1505;
inline constexpr int MsgPortNotPresentAfter = 1506;

// Hints of lists and fields that show no caption
inline constexpr int lstZeileHint = 1509;
inline constexpr int lstStartProtHint = 1514;
inline constexpr int lstStopProtHint = 1516;
inline constexpr int ProtListRemoveHint = 1517;  // the lists of chosen start and stop characters
inline constexpr int edProtCharHint = 1518;

}  // namespace TextId
