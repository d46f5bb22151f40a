#pragma once
// Where the program finds its help and where the open dialog starts, both
// depending on whether it runs from its build tree or installed (bin/ beside
// share/velmora/, as `cmake --install` and the Debian package lay it out).
#include <QString>

namespace velmora {

// The installed data folder that belongs to a program in programFolder
// (../share/velmora from bin/); empty when it does not exist, as in a build
// tree.
QString installedDataFolder(const QString& programFolder);

// What the help button opens: help.doc in the program's folder, else help.doc
// in the installed data folder, else the installed user guide help.html (in
// the browser), or in a build tree the guide the build copies to
// docs/help.html; empty when there is none of them, and the program says so.
// Folders of these names do not count.
QString helpToOpen(const QString& programFolder);

// The open dialog's first folder: the program's folder when it runs from its
// build tree; once installed, where the program's folder (/usr/bin) holds no
// documents, the user's documents folder, or the home folder without one.
QString openDialogFolder(const QString& programFolder);

}  // namespace velmora
