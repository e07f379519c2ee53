// Profile parsing on arbitrary bytes. A parse either fails with at least one error, or yields
// values that compose into the write's lines; writing those values (and a bundle's pictures) as
// a profile and parsing it again gives the same values and pictures.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <QByteArray>

#include "sync/profile.h"
#include "sync/sequences.h"
#include "sync/settings_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace blx52;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    ParsedProfile parsed = parseProfile(bytes);
    if (!parsed.ok()) {
        if (parsed.errors.size() > static_cast<std::size_t>(MaxProfileErrors))
            std::abort();
        for (const ProfileError& e : parsed.errors) {
            if (e.line < 1 || e.reason.isEmpty())
                std::abort();
        }
        return 0;
    }
    StoreSyncView view(parsed.store);
    std::vector<std::string> lines;
    if (!composeWrite(view, lines).isEmpty() || lines.size() != writeSequence().size())
        std::abort();
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i].size() > MaxLineLength)
            std::abort();
    }
    if (parsed.version == 1 && !parsed.pictures.empty())
        std::abort();
    QByteArray again;
    if (!composeProfile(view, again, parsed.pictures).isEmpty() || again.size() > MaxProfileSize)
        std::abort();
    const ParsedProfile reparsed = parseProfile(again);
    if (!reparsed.ok() || reparsed.store.values() != parsed.store.values() ||
        reparsed.pictures.size() != parsed.pictures.size())
        std::abort();
    for (std::size_t i = 0; i < parsed.pictures.size(); ++i) {
        if (reparsed.pictures[i].slotCode != parsed.pictures[i].slotCode ||
            reparsed.pictures[i].codes != parsed.pictures[i].codes)
            std::abort();
    }
    return 0;
}
