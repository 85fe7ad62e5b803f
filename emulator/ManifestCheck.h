#pragma once
#include <QStringList>

// The plugin reads Device_Manifest.xml without a word about what it finds there: a manifest it
// cannot use leaves every createDevice answering false in silence. The emulator reads the file it
// hands over as the plugin will and says what is wrong with it.
namespace ManifestCheck {

// What makes the manifest at `fileName` unusable, each as "FILE:LINE: what" (LINE the element's
// or the parser's, FILE `shownAs` when given: the name the user knows a copy by); empty for a
// manifest whose device element holds the three probes.
QStringList problems(const QString &fileName, const QString &shownAs = QString());

} // namespace ManifestCheck
