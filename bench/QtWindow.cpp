// The yardsticks for start-up, each measured to its first paint as ours is:
//   scroll_qt_window         our window in plain Qt: the controls of resources/Unit1.ui, each as the Qt class ours
//                            stands on, with their texts at their places, and the view's part of BG.bmp, read
//                            with Qt's reader, shown in the view
//   scroll_qt_window empty   an empty window of our window's outer size

#include "FormDescription.h"
#include "PaintWatch.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

#include <cstdio>
#include <cstring>

namespace {

// Plain Qt's counterpart of one of our controls, placed and labelled; none for what is no widget (a timer).
QWidget* place(const bench::FormControl& control, QWidget* window)
{
    const auto& p = control.properties;
    // The window's constructor shows the view's first position in the status line.
    const QString text = control.name == u"Label1"
                             ? QStringLiteral("SourceRect.Left = 0")
                             : p.value(QStringLiteral("text"), p.value(QStringLiteral("Caption"))).toString();
    QWidget* widget = nullptr;
    if (control.className == u"TImage") {
        auto* view = new QLabel(window);
        const QRect at = p.value(QStringLiteral("geometry")).toRect();
        view->setPixmap(QPixmap::fromImage(QImage(QStringLiteral("BG.bmp")).copy(QRect(QPoint(), at.size()))));
        widget = view;
    } else if (control.className == u"TLabel") {
        widget = new QLabel(text, window);
    } else if (control.className == u"TButton") {
        widget = new QPushButton(text, window);
    } else if (control.className == u"TRadioButton") {
        auto* button = new QRadioButton(text, window);
        button->setChecked(p.value(QStringLiteral("checked")).toBool());
        widget = button;
    } else if (control.className == u"TEdit") {
        widget = new QLineEdit(text, window);
    } else {
        return nullptr;
    }
    widget->setGeometry(p.value(QStringLiteral("geometry")).toRect());
    return widget;
}

}  // namespace

int main(int argc, char* argv[])
{
    const bool empty = argc == 2 && std::strcmp(argv[1], "empty") == 0;
    if (argc > 2 || (argc == 2 && !empty)) {
        std::fprintf(stderr, "usage: scroll_qt_window [empty]\n");
        return 2;
    }
    QApplication app(argc, argv);
    const std::vector<bench::FormControl> form = bench::readFormDescription();
    if (form.empty()) {
        std::fprintf(stderr, "scroll_qt_window: the form description is unreadable\n");
        return 1;
    }
    const QVariantHash& own = form.front().properties;
    QWidget window;
    if (empty) {
        window.resize(own.value(QStringLiteral("OuterSize")).toSize());
        bench::reportFirstPaintAndExit(&window);
        window.show();
        return app.exec();
    }
    bench::useTheProgramsFont();
    window.setWindowTitle(own.value(QStringLiteral("windowTitle")).toString());
    window.setFixedSize(own.value(QStringLiteral("geometry")).toRect().size());
    QWidget* view = nullptr;
    for (const bench::FormControl& control : form) {
        QWidget* widget = place(control, &window);
        if (control.className == u"TImage")
            view = widget;
    }
    if (!view) {
        std::fprintf(stderr, "scroll_qt_window: the form has no view\n");
        return 1;
    }
    bench::reportFirstPaintAndExit(view);
    window.show();
    return app.exec();
}
