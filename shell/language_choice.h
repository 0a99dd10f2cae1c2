// The texts of the language drop-down. Platform-neutral so that it is tested natively.
#pragma once

#include <functional>
#include <string>

// "Name (file.dll)": the item offered for a module whose string 0 is name.
std::string FormatLanguageItem(const char* name, const char* fileName);

// The module file name of a drop-down text: what lies after its first "(" up to the next ")".
// False, with name untouched, when the text has no such pair or the file name would not fit a
// buffer of capacity bytes (a shortened name would name another file).
bool ModuleNameFromChoice(const char* text, char* name, int capacity);

// Whether a module file name can be offered: it must fit a buffer of capacity bytes and come
// back whole from the drop-down text and from the list file, whose language is one word.
bool IsOfferableModuleName(const char* fileName, int capacity);

// The module a first start (no list file yet) takes for the user's display language, a Windows
// language id: english.dll for English, dutch.dll for Dutch, each only where isUsable says that
// the module is there; nullptr, for the built-in German, otherwise.
const char* FirstStartModule(unsigned displayLanguage, const std::function<bool(const char*)>& isUsable);
