// A native Wayland window that records the keys it receives, for the wedge's Wayland
// tests and benchmark, or by hand: one line per key press into the file named on the command line,
// "<CLOCK_MONOTONIC ns> <text>", named keys in braces as in keystroke text; "{FOCUS}" when
// the window gets the keyboard focus.
//
//   wayland_key_window <file>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <cstdio>
#include <ctime>

namespace {

class TKeyWindow : public QWidget {
public:
    explicit TKeyWindow(std::FILE* out) : Out_(out) {
        setFocusPolicy(Qt::StrongFocus);
        setWindowTitle(QStringLiteral("key window"));
        resize(400, 200);
    }

protected:
    // Tab and the arrows reach the window instead of moving the focus.
    bool event(QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            Record(*static_cast<QKeyEvent*>(event));
            return true;
        }
        if (event->type() == QEvent::FocusIn) Write(QStringLiteral("{FOCUS}"));
        return QWidget::event(event);
    }

private:
    void Record(const QKeyEvent& key) {
        QString text;
        switch (key.key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                text = QStringLiteral("{ENTER}");
                break;
            case Qt::Key_Tab:
                text = QStringLiteral("{TAB}");
                break;
            case Qt::Key_Down:
                text = QStringLiteral("{DOWN}");
                break;
            case Qt::Key_Right:
                text = QStringLiteral("{RIGHT}");
                break;
            case Qt::Key_Left:
                text = QStringLiteral("{LEFT}");
                break;
            case Qt::Key_Up:
                text = QStringLiteral("{UP}");
                break;
            default:
                text = key.text();
                if (text.isEmpty()) text = QStringLiteral("{key %1}").arg(key.key());
        }
        Write(text);
    }

    void Write(const QString& text) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::fprintf(Out_, "%lld %s\n", (long long)now.tv_sec * 1000000000LL + now.tv_nsec,
                     text.toUtf8().constData());
        std::fflush(Out_);
    }

    std::FILE* Out_;
};

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "wayland");
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("vantro-key-window"));
    std::FILE* out = argc > 1 ? std::fopen(argv[1], "a") : stdout;
    if (out == nullptr) return 1;
    TKeyWindow window(out);
    window.show();
    return app.exec();
}
