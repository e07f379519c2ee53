#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <string_view>
#include <vector>

#include "settings/settings_table.h"
#include "sync/profile_pictures.h"
#include "sync/settings_store.h"

namespace blx52 {

class SyncView;

// A settings profile: a UTF-8 text file holding what a write sends, one setting a line.
//
//   # blx52-profile 1
//   in0pic0t = 2000  # Input 0, picture 0 duration (ms)
//   ...
//   _brightness = 6  # Brightness
//
// The first line names the format and its version. Then every setting of the write, in write
// order, as `key = value`; the key is the device key without "set"/"get" (and without the
// trailing "_" of the standby picture's write key: "sbypic"), the value exactly what the write
// sends. "#" starts a comment; blank and comment lines may stand anywhere after the first line.
inline constexpr std::string_view ProfileFormatLine = "# blx52-profile 1";
// Format 2 (a bundle) adds picture sections (sync/profile_pictures.h).
inline constexpr std::string_view BundleFormatLine = "# blx52-profile 2";
// More errors than this are counted, not listed.
inline constexpr int MaxProfileErrors = 50;
// A profile is about 4 KiB; anything far larger is no profile and is not parsed at all.
inline constexpr qsizetype MaxProfileSize = 256 * 1024;

// The setting's key in a profile, e.g. "in0pic0t", "sbypic", "_brightness".
QString profileKey(const Setting& setting);
// The setting by its profile key; nullptr when there is none.
const Setting* findSettingByProfileKey(const QString& key);
// The comment the program writes behind a value: the setting's name, with its unit.
QString profileComment(const Setting& setting);

// The profile of what a write from `view` would send. When the write would refuse a value the
// refusal comes back (naming the setting) and `text` is left empty. With pictures it is a
// bundle (format 2) with their sections in the order given.
QString composeProfile(const SyncView& view, QByteArray& text,
                       const std::vector<ProfilePicture>& pictures = {});

struct ProfileError {
    int line;  // 1-based
    QString reason;
};

// A parse is all or nothing: either `errors` is empty and `store` holds every value of the
// file, or there is at least one error and `store` is to be ignored.
struct ParsedProfile {
    SettingsStore store;
    int version = 1;
    std::vector<ProfilePicture> pictures;  // format 2 only; in slot order
    std::vector<ProfileError> errors;
    int moreErrors = 0;  // errors beyond MaxProfileErrors, not listed

    bool ok() const { return errors.empty(); }
    // "line N: reason" for each error, and a closing count of the ones left out.
    QStringList errorTexts() const;
};

ParsedProfile parseProfile(const QByteArray& bytes);

}  // namespace blx52
