#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/TextIds.h"
#include "core/TextTable.h"

namespace {

std::set<int> TextNumbers(int language) {
  std::set<int> numbers;
  for (const TTextEntry& entry : BuiltInBlock(language)) numbers.insert(entry.Id - language * TextBlockSize);
  return numbers;
}

}  // namespace

TEST(TextTable, HasNoMisplacedDuplicateOrEmptyTexts) {
  for (const std::string& fault : TextTableFaults()) ADD_FAILURE() << fault;
}

// A translation that lacks a text, or a text only one language has, fails here.
TEST(TextTable, EveryLanguageHasEveryText) {
  const std::set<int> german = TextNumbers(1);
  ASSERT_GT(german.size(), 280u);
  for (int language = 2; language <= BuiltInLanguageCount; ++language) {
    const std::set<int> other = TextNumbers(language);
    for (int r : german)
      EXPECT_TRUE(other.count(r)) << "text " << language * TextBlockSize + r << " is missing";
    for (int r : other)
      EXPECT_TRUE(german.count(r)) << "text " << language * TextBlockSize + r << " has no German original";
  }
}

TEST(TextTable, EveryHintBelongsToACaptionAndEveryRadioGroupHasItsItems) {
  const std::set<int> german = TextNumbers(1);
  // Messages and hints of controls without a caption, in ids no caption's hint takes.
  const std::set<int> notHints = {TextId::MsgOnlineLogStopped, TextId::MsgRawLogStopped, TextId::MsgFileIsLog,
                                  TextId::MsgPortNotPresentAfter, TextId::lstZeileHint, TextId::lstStartProtHint,
                                  TextId::lstStopProtHint, TextId::ProtListRemoveHint, TextId::edProtCharHint};
  for (int r : german) {
    if (r > HintOffset && notHints.count(1000 + r) == 0) {
      EXPECT_TRUE(german.count(r - HintOffset)) << "hint " << 1000 + r << " has no caption";
    }
  }
  // Radio groups whose id is a multiple of 10 take their items from the ids after it.
  const std::pair<int, int> groups[] = {{TextId::grpParitaet, 5}, {TextId::grpFluss, 3}, {TextId::grpFQIN, 4},
                                        {TextId::rDev, 4},        {TextId::rgrpCANLOM, 2}, {TextId::rgrpCANAFM, 2}};
  for (const auto& [group, count] : groups)
    for (int item = group + 1; item <= group + count; ++item) EXPECT_FALSE(BuiltInText(item).empty()) << item;
}

TEST(TextTable, HoldsTheEstablishedTextsAsWritten) {
  EXPECT_EQ(BuiltInText(1001), "Deutsch");
  EXPECT_EQ(BuiltInText(2001), "English");
  EXPECT_EQ(BuiltInText(3001), "Dansk");
  EXPECT_EQ(BuiltInText(4001), "Nederlands");
  EXPECT_EQ(BuiltInText(5001), "Français");
  EXPECT_EQ(BuiltInText(1002), "S&chließen");
  EXPECT_EQ(BuiltInText(1502), "Beendet das Programm");
  EXPECT_EQ(BuiltInText(1010), "&Tamarik");
  EXPECT_EQ(BuiltInText(1032), "Sound, wenn Daten ankommen");
  EXPECT_EQ(BuiltInText(2032), "Sound, if data detected");
  EXPECT_EQ(BuiltInText(3032), "Lyd, når data modtages");
  EXPECT_EQ(BuiltInText(1038), "Sie müssen eine Baudrate eingeben!");
  EXPECT_EQ(BuiltInText(2038), "You must set a baud rate!");
  EXPECT_EQ(BuiltInText(1056), "Schnittstelle A und B müssen unterschiedlich sein!");
  EXPECT_EQ(BuiltInText(1074), "Wollen Sie diese Codeseite wirklich löschen?");
  EXPECT_EQ(BuiltInText(1139), "Die Zeichenfolge ',' kann nicht gespeichert werden!");
  EXPECT_EQ(BuiltInText(1211), "USB - Gerätefehler, Vodezedevi nicht gefunden!");
  EXPECT_EQ(BuiltInText(1273), "Trennen");
  EXPECT_EQ(BuiltInText(1285), "Messen");
  EXPECT_EQ(BuiltInText(1309), "Init CAN-Controller");
  EXPECT_EQ(BuiltInText(1809), "Initialisiert die Werte im CAN- Controller");
  EXPECT_EQ(BuiltInText(TextId::StatusProtokollierung), "Protokollierung:");
  EXPECT_EQ(BuiltInText(TextId::chkZwPause), "Zeilenwechsel bei Übertragungspause von ");
  EXPECT_EQ(BuiltInText(1183), " ");
}

TEST(TextTable, IdsOutsideTheBlocksHaveNoText) {
  for (int id : {0, 1000, 1999, 2000, 6001, -1001, 999999}) EXPECT_TRUE(BuiltInText(id).empty()) << id;
}
