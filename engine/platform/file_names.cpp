#include "engine/platform/file_names.h"

std::string ResolveFileName(const char* name) { return name ? name : ""; }
