#pragma once
// Starting programs and opening documents.

#include "framework/String.h"

// Starts `program` with the command line " " + `arguments`: one blank, then the argument text unchanged
// (quotes kept); the program's own name is not repeated in it. The new process inherits the caller's
// inheritable handles, environment and current folder and is shown normally; it is not waited for and
// its handles are closed at once. True when the process was created. Argument texts of more than 258
// characters do not fit the command line and are refused (false, nothing started).
bool RunProgram(const CString& program, const CString& arguments);

// The form in which a folder is handed to a program as its one argument: one trailing '\' or '/' removed
// (a second stays), and the whole in double quotes when it holds a space. False, and `argument` left as it
// was, when that form does not fit the command line RunProgram builds: cut, it would name another folder.
bool MakeFolderArgument(const CString& folder, CString& argument);

// Opens `target` (a document, folder or URL) with the shell's "open" verb. Failures are not reported.
void ShellOpen(CString target);
