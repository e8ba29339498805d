#pragma once

// Resources of Vantrelle.exe beyond the version information and the manifest. Plain
// defines, since the resource compiler reads this header too.

// The lowest-numbered icon is the one Explorer shows for the executable.
#define VANTRELLE_ICON 1
// The picture the welcome window shows while Farsi is chosen, kept as the GIF it is.
#define VANTRELLE_FARSI_PICTURE 101
