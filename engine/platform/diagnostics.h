// Lines for the program's diagnostic log ("debug.txt") from code below the engine, such
// as a host that loses its sound device. The engine's log registers itself as the writer
// when it is made; before that, lines go to standard error.
#ifndef TOLVO_ENGINE_PLATFORM_DIAGNOSTICS_H
#define TOLVO_ENGINE_PLATFORM_DIAGNOSTICS_H

using DiagnosticWriter = void (*)(const char* line);

void SetDiagnosticWriter(DiagnosticWriter writer);

// Writes one line, which ends with "\n", to the log.
void WriteDiagnostic(const char* line);

#endif
