// Stand-ins for the editor areas that have not landed yet. When an area lands its own file, it
// deletes the lines between its two markers (and keeps the markers, so that the areas' edits
// never touch each other).
#include "editor/job_editor_window.h"

// begin folders
// end folders

// begin lists
// end lists

// begin versions
// end versions

// begin rename
// end rename
