// Qt's own texts (the buttons of message boxes, the file dialogs) in the
// language the user chose for the program.
#pragma once

// index: the program's language item (0 German, 1 English, 2 Danish,
// 3 Dutch, 4 French); languages of Language.txt get Qt's English.
void LoadQtTranslations(int languageIndex);
