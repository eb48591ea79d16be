#pragma once

// File-dialog filters: description, "|", patterns, "|", and so on.

#include "report/uTypes.h"

#include <string>
#include <string_view>

// The filter of all files: "All Files (*.*)|*.*".
const std::string& AllFilesFilter();
// Description + " (" + patterns + ")|" + patterns, the patterns joined by ";", each "*." + ext
// unless the ext holds a "." already.
std::string MakeFilter(std::string_view Description, const TArrayOfString& Exts);
// With two or more extensions first "Any (" + exts joined by ", " + ")|" + "*." + ext joined by
// ";" + "|"; then Descriptions[i] + " (*." + Exts[i] + ")|*." + Exts[i] + "|" for each extension
// (a missing description is empty).
std::string MakeFilterList(const TArrayOfString& Exts, const TArrayOfString& Descriptions);
// MakeFilterList followed by AllFilesFilter.
std::string MakeFilterListAll(const TArrayOfString& Exts, const TArrayOfString& Descriptions);
