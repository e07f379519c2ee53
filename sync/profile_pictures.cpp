#include "sync/profile_pictures.h"

#include <algorithm>

#include "picture/slot_table.h"

namespace blx52 {

namespace {

const QString HeaderStart = QStringLiteral("[picture ");

QString slotName(const PictureSlot& slot) {
    return QString::fromStdString(slot.comboEntry);
}

const PictureSlot* slotByName(const QString& name) {
    for (const PictureSlot& slot : pictureSlots()) {
        if (slotName(slot) == name)
            return &slot;
    }
    return nullptr;
}

bool isRowText(const QString& content) {
    if (content.size() != ProfilePictureColumns)
        return false;
    return std::all_of(content.begin(), content.end(),
                       [](QChar c) { return c >= u'0' && c <= u'7'; });
}

// A line that cannot be a row: a setting, a header. Anything else inside a section is a bad row.
bool endsSection(const QString& content) {
    return content.startsWith(u'[') || content.contains(u'=');
}

}  // namespace

QByteArray composePictureSection(const ProfilePicture& picture) {
    const PictureSlot* slot = findSlot(picture.slotCode);
    QByteArray out =
        "[picture " + (slot ? QByteArray::fromStdString(slot->comboEntry) : "?") + "]\n";
    for (int y = 0; y < ProfilePictureRows; ++y) {
        for (int x = 0; x < ProfilePictureColumns; ++x)
            out += static_cast<char>(
                '0' + (picture.codes[static_cast<std::size_t>(y * ProfilePictureColumns + x)] & 7));
        out += '\n';
    }
    return out;
}

bool PictureSectionReader::take(int line, const QString& content) {
    if (givenOn_.empty())
        givenOn_.assign(pictureSlots().size(), 0);
    if (open_ && rows_ < ProfilePictureRows && !endsSection(content)) {
        if (isRowText(content)) {
            if (openUsable_) {
                for (int x = 0; x < ProfilePictureColumns; ++x)
                    open_->codes[static_cast<std::size_t>(rows_ * ProfilePictureColumns + x)] =
                        static_cast<std::uint8_t>(content[x].unicode() - u'0');
            }
        } else {
            const auto bad = std::find_if(content.begin(), content.end(),
                                          [](QChar c) { return c < u'0' || c > u'7'; });
            errors_(line, bad != content.end()
                              ? QStringLiteral("picture %1, row %2: \"%3\" is no colour code 0-7")
                                    .arg(openName_)
                                    .arg(rows_ + 1)
                                    .arg(*bad)
                              : QStringLiteral("picture %1, row %2: %3 codes; a row has 32")
                                    .arg(openName_)
                                    .arg(rows_ + 1)
                                    .arg(content.size()));
        }
        if (++rows_ == ProfilePictureRows) {
            if (openUsable_)
                pictures_.push_back(*open_);
            open_.reset();
        }
        return true;
    }
    if (open_)
        closeShort(line);
    if (isRowText(content)) {
        errors_(line, QStringLiteral("a picture row outside a picture section (a picture has 32 "
                                     "rows)"));
        return true;
    }
    if (!content.startsWith(u'['))
        return false;

    if (!content.startsWith(HeaderStart) || !content.endsWith(u']')) {
        errors_(line, QStringLiteral("unknown section \"%1\"; expected \"[picture SLOT]\"")
                          .arg(content.left(40)));
        return true;
    }
    const QString name =
        content.mid(HeaderStart.size(), content.size() - HeaderStart.size() - 1).trimmed();
    open_ = ProfilePicture{};
    openName_ = name.left(40);
    openLine_ = line;
    rows_ = 0;
    openUsable_ = false;
    const PictureSlot* slot = slotByName(name);
    if (slot == nullptr) {
        errors_(line, QStringLiteral("unknown picture slot \"%1\" (In0_Pic0 ... StandBy_Pic2)")
                          .arg(openName_));
        return true;
    }
    int& first = givenOn_[static_cast<std::size_t>(slotIndex(slot->code))];
    if (first != 0) {
        errors_(line,
                QStringLiteral("picture %1 given twice (first on line %2)").arg(name).arg(first));
        return true;
    }
    first = line;
    open_->slotCode = slot->code;
    openUsable_ = true;
    return true;
}

void PictureSectionReader::closeShort(int line) {
    errors_(line, QStringLiteral("picture %1 (line %2) has %3 rows; a picture has 32")
                      .arg(openName_)
                      .arg(openLine_)
                      .arg(rows_));
    open_.reset();
}

void PictureSectionReader::finish(int lastLine) {
    if (open_)
        closeShort(lastLine);
}

std::vector<ProfilePicture> PictureSectionReader::pictures() const {
    std::vector<ProfilePicture> out = pictures_;
    std::sort(out.begin(), out.end(), [](const ProfilePicture& a, const ProfilePicture& b) {
        return slotIndex(a.slotCode) < slotIndex(b.slotCode);
    });
    return out;
}

}  // namespace blx52
