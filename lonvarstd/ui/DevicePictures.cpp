#include "ui/DevicePictures.h"

#include <QColor>
#include <QImage>
#include <algorithm>
#include <charconv>
#include <filesystem>
#include <map>

#include "resources/pictures/picture_art.h"
#include "support/ascii_text.h"
#include "support/prog_layout.h"
#include "ui/DXLed.h"

using tavrix::art::tArt;

QPixmap BuiltinPicture(tBuiltinPicture which) {
    // Drawn once on first use; pictures are used on the main thread only.
    static std::map<tBuiltinPicture, QPixmap> drawn;
    if (const auto found = drawn.find(which); found != drawn.end()) return found->second;
    QImage image;
    switch (which) {
        case tBuiltinPicture::UsbPlug:
            image = tavrix::art::Draw(tArt::UsbPlug, {36, 36});
            break;
        case tBuiltinPicture::Rs232Plug:
            image = tavrix::art::Draw(tArt::Rs232Plug, {36, 36});
            break;
        case tBuiltinPicture::SwitchSmall:
            image = tavrix::art::Draw(tArt::SwitchCable, tDevicePictures::SmallSize);
            break;
        case tBuiltinPicture::SwitchBig:
            image = tavrix::art::Draw(tArt::SwitchCable, tDevicePictures::BigSize);
            break;
        case tBuiltinPicture::PlaceholderSmall:
            image = tavrix::art::Draw(tArt::Placeholder, tDevicePictures::SmallSize);
            break;
        case tBuiltinPicture::PlaceholderBig:
            image = tavrix::art::Draw(tArt::Placeholder, tDevicePictures::BigSize);
            break;
        case tBuiltinPicture::LedSilver:
            image = tavrix::art::DrawLed(StateColor(0));
            break;
        case tBuiltinPicture::LedYellow:
            image = tavrix::art::DrawLed(StateColor(1));
            break;
        case tBuiltinPicture::LedLime:
            image = tavrix::art::DrawLed(StateColor(2));
            break;
        case tBuiltinPicture::LedRed:
            image = tavrix::art::DrawLed(StateColor(3));
            break;
        case tBuiltinPicture::TimerUp:
            image = tavrix::art::Draw(tArt::TimerUp, {28, 28});
            break;
        case tBuiltinPicture::TimerDown:
            image = tavrix::art::Draw(tArt::TimerDown, {28, 28});
            break;
        case tBuiltinPicture::ProgramPicture:
            image = tavrix::art::Draw(tArt::ProgramPicture, {220, 100});
            break;
        case tBuiltinPicture::Logo:
            image = tavrix::art::Draw(tArt::Logo, {196, 100});
            break;
    }
    return drawn.emplace(which, QPixmap::fromImage(image)).first->second;
}

namespace {

constexpr std::string_view PictureMark = "_G_";

bool lessNoCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) <
               std::tolower(static_cast<unsigned char>(y));
    });
}

bool hasBmpExtension(const std::string& name) {
    return name.size() > 4 &&
           tavrix::AsciiSameText(std::string_view(name).substr(name.size() - 4), ".bmp");
}

// The file `name` in `files`, exactly or else in another letter case (the pictures
// come from a case-blind file system); "" when there is none.
std::string FolderOfFile(const std::string& path) {
    return path.substr(0, path.find_last_of('/') + 1);
}

std::string findFile(const std::vector<std::string>& files, const std::string& name) {
    if (std::find(files.begin(), files.end(), name) != files.end()) return name;
    const auto other = std::find_if(files.begin(), files.end(), [&](const std::string& f) {
        return tavrix::AsciiSameText(f, name);
    });
    return other == files.end() ? std::string() : *other;
}

// A picture of `size` from `path`; the placeholder when it cannot be read or has another size.
QPixmap loadPicture(const std::string& path, QSize size, const QPixmap& placeholder) {
    QImage image;
    if (!image.load(QString::fromStdString(path)) || image.size() != size) return placeholder;
    return QPixmap::fromImage(image);
}

void addImageIdx(tDeviceDescrList& descrs, int typeNo, int position) {
    for (std::size_t i = 1; i < descrs.size(); ++i) {
        if (descrs[i]->TypeNo == typeNo) descrs[i]->ImageIdx.push_back(position);
    }
}

// Registers the type codes of `fileName` for `position`; false when a code is no number.
// Codes are only read from a name that ends in ".bmp" in lower case.
bool registerCodes(const std::string& fileName, int position, tDeviceDescrList& usbDescrs,
                   tDeviceDescrList& rs232Descrs) {
    std::string codes(tavrix::TrimBlanksAndControls(fileName));
    const auto ext = codes.find(".bmp");
    codes = ext == std::string::npos ? std::string() : codes.substr(0, ext);
    const auto mark = codes.find(PictureMark);
    codes = mark == std::string::npos ? std::string() : codes.substr(mark + PictureMark.size());
    while (codes.size() >= 4) {
        int typeNo = 0;
        const auto [end, error] = std::from_chars(codes.data(), codes.data() + 2, typeNo);
        if (error != std::errc() || end != codes.data() + 2) return false;
        if (typeNo > 0) {
            if (codes[2] == '1') addImageIdx(rs232Descrs, typeNo, position);
            if (codes[3] == '1') addImageIdx(usbDescrs, typeNo, position);
        }
        codes.erase(0, 4);
        if (!codes.empty() && codes.front() == '_') codes.erase(0, 1);
    }
    return true;
}

}  // namespace

void tDevicePictures::Load(tDeviceDescrList& usbDescrs, tDeviceDescrList& rs232Descrs,
                           const std::string& folder) {
    std::vector<std::string> dirs;
    if (!folder.empty()) {
        dirs.push_back(folder);
    } else {
        for (const auto& dataFolder : tavrix::ProgLayout().DataFolders()) {
            dirs.push_back(dataFolder + "UDEVICES/");
        }
    }
    // A user's own picture hides the shipped one of the same name.
    std::vector<std::string> files;
    std::map<std::string, std::string> dirOf;
    for (const std::string& dir : dirs) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
            std::error_code typeError;
            if (!entry.is_regular_file(typeError)) continue;
            std::string name = entry.path().filename().string();
            if (!findFile(files, name).empty()) continue;
            dirOf[name] = dir;
            files.push_back(std::move(name));
        }
    }

    // Pictures with their small companion, sorted without regard to case.
    std::vector<std::string> listed;
    for (const std::string& name : files) {
        const auto mark = name.find(PictureMark);
        if (!hasBmpExtension(name) || mark == std::string::npos) continue;
        if (!findFile(files, name.substr(0, mark) + "_K.bmp").empty()) listed.push_back(name);
    }
    std::stable_sort(listed.begin(), listed.end(), lessNoCase);

    names_.assign(1, " ...");
    big_.assign(1, BuiltinPicture(tBuiltinPicture::PlaceholderBig));
    small_.assign(1, BuiltinPicture(tBuiltinPicture::PlaceholderSmall));
    for (auto* descrs : {&rs232Descrs, &usbDescrs}) {
        for (auto& descr : *descrs) descr->ImageIdx.assign(1, 0);
    }

    for (const std::string& name : listed) {
        const int position = static_cast<int>(names_.size());
        const std::string stem = name.substr(0, name.find(PictureMark));
        // A picture that cannot be used keeps its place with the placeholder, so that
        // positions and names stay in step.
        const std::string smallName = findFile(files, stem + "_K.bmp");
        big_.push_back(loadPicture(dirOf[name] + name, BigSize, big_.front()));
        small_.push_back(loadPicture(dirOf[smallName] + smallName, SmallSize, small_.front()));
        // A bad code leaves the whole file name, so that no device type selects it.
        names_.push_back(registerCodes(name, position, usbDescrs, rs232Descrs) ? stem : name);
    }
}

int tDevicePictures::FindImageIndex(const std::string& typeName) const {
    for (std::size_t k = 1; k < names_.size(); ++k) {
        if (names_[k] == typeName) return static_cast<int>(k);
    }
    return 0;
}

QPixmap tDevicePictures::Big(int index) const {
    if (index < 0 || index >= static_cast<int>(big_.size())) {
        return BuiltinPicture(tBuiltinPicture::PlaceholderBig);
    }
    return big_[static_cast<std::size_t>(index)];
}

QPixmap tDevicePictures::Small(int index) const {
    if (index < 0 || index >= static_cast<int>(small_.size())) {
        return BuiltinPicture(tBuiltinPicture::PlaceholderSmall);
    }
    return small_[static_cast<std::size_t>(index)];
}

QPixmap tDevicePictures::SwitchSmall() const {
    return switchSmall_.isNull() ? BuiltinPicture(tBuiltinPicture::SwitchSmall) : switchSmall_;
}

QPixmap tDevicePictures::SwitchBig() const {
    return switchBig_.isNull() ? BuiltinPicture(tBuiltinPicture::SwitchBig) : switchBig_;
}

void tDevicePictures::LoadSwitchPictures(const std::string& progDir) {
    const std::string dir =
        progDir.empty() ? FolderOfFile(tavrix::ProgLayout().DataFile("Switch.bmp")) : progDir;
    switchSmall_ = QPixmap();
    switchBig_ = QPixmap();
    QImage small;
    QImage big;
    // Both or neither: a pair from one folder, else the built-in pair.
    if (small.load(QString::fromStdString(dir + "_Switch.bmp")) &&
        big.load(QString::fromStdString(dir + "Switch.bmp"))) {
        switchSmall_ = QPixmap::fromImage(small);
        switchBig_ = QPixmap::fromImage(big);
    }
}
