#include "engine/platform/diagnostics.h"

#include <cstdio>

namespace {
DiagnosticWriter diagnosticWriter = nullptr;
} // namespace

void SetDiagnosticWriter(DiagnosticWriter writer) {
    diagnosticWriter = writer;
}

void WriteDiagnostic(const char* line) {
    if (diagnosticWriter) {
        diagnosticWriter(line);
    } else {
        std::fputs(line, stderr);
    }
}
