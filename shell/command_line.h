// The one command-line option. Platform-neutral so that it is tested natively.
#pragma once

enum class StartOption {
    None,
    Setup,    // "/setup": run the first-run setup before loading the list
    NoTray,   // "/notray": no notification-area icon
    Restart,  // "/restart": ask a running instance to exit, then start with the window open
    Exit,     // "/exit": ask a running instance to exit, then end
    NoDde,    // "/nodde": no single-instance negotiation at all
};

// The argument part of a raw command line: after a quoted program name up to its closing
// quote, or after an unquoted one up to its first space, with the spaces that follow skipped.
// Only the space character separates. A quoted name without its closing quote leaves the
// whole line as the argument; an unquoted one without any space leaves an empty argument.
const char* ExtractArgument(const char* commandLine);

// The whole argument compared with each option, letter case ignored; anything else is None.
StartOption ParseStartOption(const char* argument);
