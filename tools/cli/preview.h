#pragma once

#include <QStringList>

namespace blx52::cli {

// blx52-cli preview PROFILE|PORT [--situation KEY] [--pictures FOLDER] [--wav FILE] [--gif FILE]:
// the timeline of a situation (or of all six), one row per step, and its exports.
int runPreviewCommand(const QStringList& args);

extern const char* const PreviewUsageText;

}  // namespace blx52::cli
