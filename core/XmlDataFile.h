#pragma once

#include <tinyxml.h>

#include <string>

// Loads an XML data file into the document through the data-file layer, so
// a file that is only in a pack archive loads as it would from the folder.
// Line ends are read as the XML reader reads them from a file: CR LF and a
// lone CR each become one LF. False, with the document's error set, when
// the file is in no place or does not parse.
bool LoadXmlDataFile(TiXmlDocument& document, const std::string& path);
