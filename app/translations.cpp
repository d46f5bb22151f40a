#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace velmora {

bool installChineseTranslations(QCoreApplication& app) {
  // Qt's own folder of a system's Qt, or "translations" beside the program
  // where it brings its Qt along (Windows).
  auto* translator = new QTranslator(&app);
  const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
  if (!translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
      !translator->load(QStringLiteral("qtbase_zh_CN"), beside)) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
  return true;
}

}  // namespace velmora
