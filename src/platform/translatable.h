// Texts of the Qt-free code that the user may see. The code cannot call Qt:
// the marker only lets the translation tools collect the text (context
// "Exception"); the GUI translates it where it shows it.
#pragma once

#define ORV_TRANSLATE_NOOP(context, text) text
