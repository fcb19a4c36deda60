#pragma once
// The pictures of the program: the device pictures in ProgDir + "UDEVICES/" (a big
// 160 x 120 one and its small 80 x 60 "_K" companion per device type) and the
// pictures built into the program. The main window and the device dialog read
// them from here; nobody else loads pictures.

#include <QPixmap>
#include <string>
#include <vector>

#include "engine/deviceDescr.h"

enum class tBuiltinPicture {
    UsbPlug,           // interface picture of a USB row, 36 x 36
    Rs232Plug,         // interface picture of a COM port row, 36 x 36
    SwitchSmall,       // switch cable, 80 x 60
    SwitchBig,         // switch cable, 160 x 120
    PlaceholderSmall,  // device without a picture, 80 x 60
    PlaceholderBig,    // 160 x 120
    LedSilver,         // the four 16 x 16 lamps of the hidden device list
    LedYellow,
    LedLime,
    LedRed,
    TimerUp,  // glyphs of the timer button
    TimerDown,
    ProgramPicture,  // the program's picture in the status and info windows
    Logo,            // the maker's logo (shown before the status window is first shown)
};

// A picture drawn into the program; never null.
QPixmap BuiltinPicture(tBuiltinPicture which);

class tDevicePictures {
public:
    static constexpr QSize BigSize{160, 120};
    static constexpr QSize SmallSize{80, 60};

    // Lists `folder` (by default "UDEVICES/" in each of the layout's data folders, a
    // user's own file hiding a shipped one of the same name) and loads every "<name>_G_<codes>.bmp"
    // (".BMP" too, but then without codes) that has its "<name>_K.bmp" (in any letter
    // case); entry 0 is the placeholder " ...", the rest sorted without regard to case.
    // A code that is no number leaves the whole file name as the entry's name. Each description in
    // `usbDescrs` and `rs232Descrs` gets ImageIdx entry 0 and then the positions whose codes name
    // its TypeNo. A picture that fails to load or has the wrong size is replaced by the
    // placeholder, so the pictures stay in step with the names. Loading again starts afresh.
    void Load(tDeviceDescrList& usbDescrs, tDeviceDescrList& rs232Descrs,
              const std::string& folder = "");

    // "<name>" for each loaded entry (the part before "_G_"); entry 0 is " ...".
    const std::vector<std::string>& ImageNames() const { return names_; }
    // First entry equal to `typeName` (case-sensitive), 0 (the placeholder) if none.
    int FindImageIndex(const std::string& typeName) const;
    // Picture at `index`; the placeholder for an index outside the list.
    QPixmap Big(int index) const;
    QPixmap Small(int index) const;

    // The switch cable's pictures: "_Switch.bmp" and "Switch.bmp" of the data folder that
    // holds "Switch.bmp" (portable: ProgDir) when both exist, the built-in ones otherwise.
    QPixmap SwitchSmall() const;
    QPixmap SwitchBig() const;
    void LoadSwitchPictures(const std::string& progDir = "");

private:
    std::vector<std::string> names_{" ..."};
    std::vector<QPixmap> big_;
    std::vector<QPixmap> small_;
    QPixmap switchSmall_;
    QPixmap switchBig_;
};
