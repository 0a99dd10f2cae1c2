// Which page of a help file opens for a place that asks for help. Platform-neutral so that it is
// tested natively.
#pragma once

// A place that asks for help names itself by the keyword in its language module's string 2.
// HTML Help opens a page by its path inside the help file, never by keyword; every help file
// holds the same page names.
struct HelpTopic {
    const char* keyword;  // in the ANSI code page, as the module's string reaches the program
    const char* page;
};

// The topic of a keyword, letter case of A to Z ignored; nullptr for a keyword no topic has.
const HelpTopic* FindHelpTopic(const char* keyword);

// The page a keyword opens: its topic's, or the overview for a keyword of a module made
// elsewhere, which then still opens its help at the start.
const char* HelpPageFor(const char* keyword);

// Whether a language module's help file name may be opened: a plain file name ending in ".chm",
// with no folder, drive or stream, so that a module can only name a file beside itself.
bool IsHelpFileName(const char* name);
