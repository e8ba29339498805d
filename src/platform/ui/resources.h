#pragma once

// What the windowing layer looks up in the program it is built into: the program's icon,
// which every window carries, and the pictures an `Image` names. The program supplies
// them under these names; plain defines, since the resource compiler reads this header
// too.
//
// Win32: the icon is the ICON resource VANTRELLE_ICON; a picture is a GIF kept as an
// RCDATA resource named as the picture, in capitals ("farsi": FARSI).
// Qt: the icon is the resource VANTRELLE_QT_ICON; a picture is the GIF resource
// VANTRELLE_QT_PICTURES "<name>.gif".

// The lowest-numbered icon is the one Explorer shows for the executable.
#define VANTRELLE_ICON 1

#define VANTRELLE_QT_ICON ":/vantrelle/icon.png"
#define VANTRELLE_QT_PICTURES ":/vantrelle/"
