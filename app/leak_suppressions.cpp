namespace kalix {

// Leak checks of sanitizer builds: fontconfig, through which the window
// toolkit finds fonts, keeps its configuration for the life of the process
// by design, and so does libdbus its connection buffers on a real display.
// The sanitizer runtime reads this from the program itself, so it is
// defined here and not in the windows' library.
extern "C" const char* __lsan_default_suppressions();

const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\nleak:libdbus-1.so\n"; }

}  // namespace kalix
