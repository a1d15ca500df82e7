// Fontconfig loses a few bytes while it parses the system's configuration files, once per
// process; the leak checker of the sanitizer builds is told to overlook that library's own loss.

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
