#include "ui/Frmsize.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <exception>

#include "support/new_ini_file.h"
#include "support/prog_paths.h"

namespace {

std::function<tScreenLayout()>& layoutSource() {
    static std::function<tScreenLayout()> source;
    return source;
}

enum : int { StateNormal = 0, StateMinimised = 1, StateMaximised = 2 };

int floorHalf(int value) {
    return value >= 0 ? value / 2 : -((-value + 1) / 2);
}

// The part of a window a user needs to reach it: its top strip, at least partly on one screen.
bool reachable(const QRect& window, const std::vector<QRect>& screens) {
    const QRect strip(window.left(), window.top(), window.width(), std::min(window.height(), 24));
    const int minWidth = std::min(strip.width(), 48);
    return std::any_of(screens.begin(), screens.end(), [&](const QRect& screen) {
        const QRect seen = screen.intersected(strip);
        return !seen.isEmpty() && seen.width() >= minWidth && seen.height() == strip.height();
    });
}

int clampInto(int pos, int size, int start, int length) {
    if (size >= length) return start;
    return std::clamp(pos, start, start + length - size);
}

}  // namespace

tScreenLayout CurrentScreenLayout() {
    if (layoutSource()) return layoutSource()();
    tScreenLayout layout;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return layout;
    layout.Primary = primary->size();
    layout.Screens.push_back(primary->geometry());
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary) layout.Screens.push_back(screen->geometry());
    }
    return layout;
}

void SetScreenLayoutSource(std::function<tScreenLayout()> source) {
    layoutSource() = std::move(source);
}

std::string TSize::SectionFor(const std::string& formName) {
    const QSize primary = CurrentScreenLayout().Primary;
    return formName + "_" + std::to_string(primary.width()) + "X" +
           std::to_string(primary.height());
}

void TSize::Store(TNewIniFile& ini, const std::string& section, const std::string& keyPrefix) {
    if (!form_ || !form_->isWindow()) return;
    const Qt::WindowStates states = form_->windowState();
    int state = StateNormal;
    if (states & Qt::WindowMinimized) {
        state = StateMinimised;
    } else if (states & Qt::WindowMaximized) {
        state = StateMaximised;
    }
    // A minimised or maximised window is stored with the place it returns to.
    QRect normal = form_->geometry();
    normal.moveTopLeft(form_->pos());
    if (state != StateNormal && form_->normalGeometry().isValid()) {
        normal = form_->normalGeometry();
    }
    int left = ini.ReadInteger(section, keyPrefix + "_L", normal.left());
    int top = ini.ReadInteger(section, keyPrefix + "_T", normal.top());
    int width = ini.ReadInteger(section, keyPrefix + "_W", normal.width());
    int height = ini.ReadInteger(section, keyPrefix + "_H", normal.height());
    if (MemPosition) {
        left = normal.left();
        top = normal.top();
    }
    if (MemSize) {
        width = normal.width();
        height = normal.height();
    }
    ini.WriteInteger(section, keyPrefix + "_S", state);
    ini.WriteInteger(section, keyPrefix + "_L", left);
    ini.WriteInteger(section, keyPrefix + "_T", top);
    ini.WriteInteger(section, keyPrefix + "_W", width);
    ini.WriteInteger(section, keyPrefix + "_H", height);
}

void TSize::Restore(TNewIniFile& ini, const std::string& section, const std::string& keyPrefix) {
    if (!form_ || !form_->isWindow()) return;
    const tScreenLayout layout = CurrentScreenLayout();
    const Qt::WindowStates states = form_->windowState();
    const int currentState = (states & Qt::WindowMinimized)   ? StateMinimised
                             : (states & Qt::WindowMaximized) ? StateMaximised
                                                              : StateNormal;
    const int state = ini.ReadInteger(section, keyPrefix + "_S", currentState);
    const int left = ini.ReadInteger(section, keyPrefix + "_L",
                                     floorHalf(layout.Primary.width() - form_->width()));
    const int top = ini.ReadInteger(section, keyPrefix + "_T",
                                    floorHalf(layout.Primary.height() - form_->height()));
    const int width = ini.ReadInteger(section, keyPrefix + "_W", form_->width());
    const int height = ini.ReadInteger(section, keyPrefix + "_H", form_->height());

    QRect placed(form_->pos(), form_->size());
    if (MemPosition) placed.moveTopLeft({left, top});
    if (MemSize && width > 0 && height > 0) placed.setSize({width, height});
    // A placement from a screen that is gone would leave the window out of reach.
    if (!layout.Screens.empty() && !reachable(placed, layout.Screens)) {
        const QRect& primary = layout.Screens.front();
        placed.moveTo(clampInto(placed.left(), placed.width(), primary.left(), primary.width()),
                      clampInto(placed.top(), placed.height(), primary.top(), primary.height()));
    }
    // The normal geometry first, so that a maximised or minimised window returns to it.
    form_->setWindowState(states & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    form_->move(placed.topLeft());
    form_->resize(placed.size());
    if (state == StateMinimised) {
        form_->setWindowState(form_->windowState() | Qt::WindowMinimized);
    } else if (state == StateMaximised) {
        form_->setWindowState(form_->windowState() | Qt::WindowMaximized);
    }
}

namespace {

// Runs `step` on the program INI file; the error's text, or "".
template <typename Step>
std::string OnProgIni(const QWidget* form, const char* what, Step step) {
    try {
        tPgIniFile ini(ProgIniFile);
        step(ini);
        return {};
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: placement not %s: %s\n", form->objectName().toUtf8().constData(),
                     what, e.what());
        return e.what();
    }
}

}  // namespace

std::string TSize::RestoreFromProgIni() {
    return OnProgIni(form_, "read", [this](TNewIniFile& ini) {
        Restore(ini, SectionFor(form_->objectName().toStdString()));
    });
}

std::string TSize::StoreInProgIni() {
    return OnProgIni(form_, "stored", [this](TNewIniFile& ini) {
        Store(ini, SectionFor(form_->objectName().toStdString()));
        ini.UpdateFile();
    });
}
