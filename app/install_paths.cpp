#include "app/install_paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace velmora {
namespace {

bool isFile(const QString& path) { return QFileInfo(path).isFile(); }

}  // namespace

QString installedDataFolder(const QString& programFolder) {
  // VELMORA_DATA_FROM_BIN is the install layout's path from the programs'
  // folder to the data folder, so a package relocated as a whole still finds
  // its help.
  const QString folder = QDir::cleanPath(programFolder + QStringLiteral("/" VELMORA_DATA_FROM_BIN));
  return QFileInfo(folder).isDir() ? folder : QString();
}

QString helpToOpen(const QString& programFolder) {
  // The program's folder comes first, so help.doc placed beside the program
  // (the build tree, or a copy the applicant fetched) wins over what the
  // package ships.
  const QString beside = programFolder + QStringLiteral("/help.doc");
  if (isFile(beside)) return beside;
  const QString data = installedDataFolder(programFolder);
  if (data.isEmpty()) {
    // The build tree: the guide as the build copies it there.
    const QString guide = programFolder + QStringLiteral("/docs/help.html");
    return isFile(guide) ? guide : QString();
  }
  for (const QString& name : {QStringLiteral("help.doc"), QStringLiteral("help.html")}) {
    if (isFile(data + u'/' + name)) return data + u'/' + name;
  }
  return {};
}

QString openDialogFolder(const QString& programFolder) {
  if (installedDataFolder(programFolder).isEmpty()) return programFolder;
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents;
  return QDir::homePath();
}

}  // namespace velmora
