// The compiler runtime's thread-attach hook resets the x87 control word of
// every new thread of the host (_fpreset, which executes fninit).  Hosts set
// their own floating-point state and must get it unchanged, and the library
// itself does no floating-point arithmetic, so the reset is replaced by one
// that leaves the state alone.  The linker takes this definition before the
// runtime library's.
extern "C" void _fpreset(void) {}
