#pragma once
// Fatal errors: programming errors and exhausted resources stop the process with a message
// naming the source file where they happened. Nothing here returns.

namespace plugkit
{

[[noreturn]] void fatalError(const char* message, const char* sourceFile = __builtin_FILE(),
                             int line = __builtin_LINE());

[[noreturn]] void fatalOutOfMemory(const char* sourceFile = __builtin_FILE(),
                                   int line = __builtin_LINE());

} // namespace plugkit
