#pragma once
// libxml2 as built for Windows has no iconv: GBK (code page 936) and GB18030
// (code page 54936) reach it through the system's own tables, registered
// under their names, for reading and writing documents.
namespace velmora {

// Once per process; before the first document is read or written.
void registerGbkEncodings();

}  // namespace velmora
