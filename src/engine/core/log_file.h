#pragma once
// Opening the log where ordinary users can write: the program often runs elevated in a folder
// anyone may plant files in, so the log's name must not lead it to overwrite another file.
#include "engine/core/cleanup_context.h"

// Opens (creating or truncating) the log `name` in text mode, without following a link.
// When the name is a link (a reparse point, or under Wine a Unix symbolic link), a folder or
// a file with more than one hard link, nothing is written to it, logging stays off and
// `context.logRefused` is set. Any other failure leaves logging off too. True when opened.
bool OpenLogWithoutLinks(CleanupContext& context, const char* name);
