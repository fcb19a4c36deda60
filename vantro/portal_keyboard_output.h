#pragma once
// Keystrokes through the desktop's RemoteDesktop portal (GNOME, KDE): a session with the
// keyboard alone, each character sent as its keysym, so that the compositor maps it for
// the layout in use. The desktop asks the user once; its restore token, kept in the
// settings, lets later starts go on without asking.

#include <QObject>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "keyboard_output.h"
#include "language_table.h"
#include "layout_key_map.h"

class TPortalRequests;

class TPortalKeyboardOutput : public QObject, public TKeyboardOutput {
    Q_OBJECT
public:
    enum class TState { Absent, Asking, Typing, Refused, Failed };

    // Looks for the portal on the session bus; Available() tells.
    TPortalKeyboardOutput();
    ~TPortalKeyboardOutput() override;

    bool Available() const { return State_ != TState::Absent; }
    QString Problem() const { return QString::fromStdString(StatusText(LangEnglish, Problem_)); }
    const TStatusMessage& ProblemText() const { return Problem_; }
    // What the status line says of the route now: asking, typing, or why not.
    TStatusMessage StateText() const;
    TState State() const { return State_; }

    // Opens the session; with a token from an earlier start the desktop need not ask.
    void Start(const QString& restoreToken);
    // Keys sent while the desktop is still asking wait for its answer; after a refusal
    // they are dropped. wait: the call returns once the portal has taken every key.
    void SendKeys(const std::string& keystrokeText, bool wait) override;

    // The state changed: the text says it in English ("refused by the desktop ...").
    std::function<void(TState state, const QString& text)> OnStateChanged;
    // The desktop handed a token that lets the next start go on without asking.
    std::function<void(const QString& token)> OnRestoreToken;
    // The layout in use, asked at each reading. Where known, characters are pressed as the
    // keys of that layout: one desktop maps keysyms through another layout than the user's
    // ("-" arrives as "ß" under German). Unknown: by keysym.
    std::function<std::optional<TLayoutKeyMap>()> LayoutInUse;

private:
    void SelectDevices(const QString& restoreToken);
    void StartSession();
    void Fail(TState state, TStatusText text);
    void Notify(const char* method, int value, unsigned state);

    std::unique_ptr<TPortalRequests> Portal_;
    TState State_ = TState::Absent;
    TStatusMessage Problem_;
    QString Session_;
    std::deque<std::pair<std::string, bool>> Waiting_;  // keystroke text, wait
};
