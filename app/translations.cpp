#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace velmora {

bool installChineseTranslations(QCoreApplication& app) {
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  auto* translator = new QTranslator(&app);
  if (!translator->load(QStringLiteral("qtbase_zh_CN"), folder)) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
  return true;
}

}  // namespace velmora
