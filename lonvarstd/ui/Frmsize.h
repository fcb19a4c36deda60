#pragma once
// Placement memory of a window: state, position and size in the program INI file,
// one section per window and screen resolution ("<form name>_<width>X<height>").

#include <QRect>
#include <QSize>
#include <functional>
#include <string>
#include <vector>

class QWidget;
class TNewIniFile;

// The screens as placement memory sees them: the primary screen's size picks the
// section, the screens' areas keep a restored window within reach.
struct tScreenLayout {
    QSize Primary;
    std::vector<QRect> Screens;
};
// The real screens, unless a test has set its own layout.
tScreenLayout CurrentScreenLayout();
// Tests: a fixed layout instead of the real screens; an empty function restores them.
void SetScreenLayoutSource(std::function<tScreenLayout()> source);

class TSize {
public:
    explicit TSize(QWidget* form) : form_(form) {}

    bool MemPosition = true;
    bool MemSize = true;

    // Writes "_S" (0 normal, 1 minimised, 2 maximised), "_L", "_T", "_W", "_H" behind
    // `keyPrefix`; a minimised or maximised window is stored with its normal geometry.
    // Without MemPosition or MemSize those keys keep what was stored before.
    void Store(TNewIniFile& ini, const std::string& section, const std::string& keyPrefix = "");
    // Applies what Store wrote; missing keys centre the window at its current size.
    // A window that would lie outside every screen is moved onto the primary one.
    void Restore(TNewIniFile& ini, const std::string& section, const std::string& keyPrefix = "");

    // Restore and Store on the program INI file, in the form's section (its object
    // name), in one load or save. A program INI file that cannot be read or written
    // changes nothing else: the error's text is printed on standard error and returned
    // for the caller to show; "" when all went well.
    std::string RestoreFromProgIni();
    std::string StoreInProgIni();

    // The section for `formName` at the current primary screen size.
    static std::string SectionFor(const std::string& formName);

private:
    QWidget* form_;
};
