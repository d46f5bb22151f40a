#pragma once
class QCoreApplication;

namespace velmora {

// Every text of the program is Chinese, so the toolkit's own dialogs and
// buttons (file dialogs, Yes/No, print dialog) are shown in Chinese too,
// whatever the system's locale. Returns false when Qt's translations are
// not installed.
bool installChineseTranslations(QCoreApplication& app);

}  // namespace velmora
