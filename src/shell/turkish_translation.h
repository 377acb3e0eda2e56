#pragma once
// Qt's own Turkish texts, so that the standard buttons and dialogs speak Turkish as the rest of
// the program does ("Tamam", "Evet", "Hayır").

namespace zembera {

// Loads Qt's Turkish translation into the running application; false when it is not installed
// (the standard buttons then keep Qt's English texts).
bool installTurkishTranslation();

} // namespace zembera
