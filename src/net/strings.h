// Small string utilities of the host-name lookup.
#pragma once

#include <cstddef>

namespace tarnlix {

// Copies text onto the heap into an empty slot and returns the copy. A null
// text leaves the slot null. A slot that already holds a text is a programming
// error: the process ends with "FATAL: non-NULL ptr in newstr()".
char* newstr(char*& slot, const char* text);

// Frees the first count entries of an array of owned texts and nulls them.
void freestrs(char** texts, size_t count);

// Removes every trailing occurrence of c from text, in place.
char* rtrim(char* text, char c);

}  // namespace tarnlix
