#pragma once
#include "NexaroGlobal.h"

#include <QString>

class QDomDocument;

namespace Brask {

// Parses the XML file at `path` into `document`. A path "ALIAS:NAME" is resolved in the directory
// that the host registered for ALIAS (Nexaro::registerAliasDirectory); any other path is a file
// path. `namespaceProcessing` is handed to QDomDocument::setContent. A missing or malformed file
// returns false and leaves `document` empty.
NEXARO_EXPORT bool FileReadDom(const QString &path, QDomDocument &document, bool namespaceProcessing);

// The host's locale as "ll-CC" ("en-US", "ja-JP"): the host's override when it set one
// (Nexaro::setLocaleOverride), otherwise the system locale.
NEXARO_EXPORT QString currentLocale();

} // namespace Brask
