#pragma once
// One wedge per user session: the first instance holds a lock file and listens on a local
// socket next to it (in $XDG_RUNTIME_DIR, else the temporary folder); a later start asks
// it to come to the front and ends. `Vantro --hotkey F9` hands a hot key on the same socket.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <functional>
#include <memory>
#include <string>

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    TSingleInstance();
    ~TSingleInstance() override;

    // True when this process is the first instance; it then answers activation requests.
    bool TryBecomeFirst();

    // Called in the first instance with the title asked for; returns whether its window
    // matched and was brought to the front.
    std::function<bool(const std::string& title)> OnActivate;
    // Called in the first instance with a hot-key name from the command line; returns
    // "ok" or why the key was not taken.
    std::function<std::string(const std::string& name)> OnHotKey;

    static QString LockPath();
    static QString SocketPath();

private:
    void AnswerRequest();

    QLockFile Lock_;
    std::unique_ptr<QLocalServer> Server_;
};

// Asks the running instance to bring its window to the front when the trimmed title is
// part of its caption (any letter case). False when there is none or it does not match.
bool ActivatePreviousInstance(const std::string& title);
