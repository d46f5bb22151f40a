#pragma once
#include <QIcon>

namespace velmora::icons {

// The program's own pictures, drawn at 24 x 24 (and larger for the window icon).
QIcon application();
QIcon check();
QIcon open();
QIcon save();
QIcon help();
QIcon print();

}  // namespace velmora::icons
