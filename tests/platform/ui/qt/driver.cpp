// The test driver over Qt: user actions through QTest, looks read from the widgets.

#include "platform/ui/driver.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTreeWidget>

#include "platform/ui/qt/label_widget.h"
#include "platform/ui/qt/native.h"

namespace vantrelle::ui::driver {

namespace {

QWidget* WidgetOf(const Control& control) {
    return control.native().widget.data();
}

QMainWindow* WindowWidget(const Window& window) {
    return window.native().widget;
}

QWidget* Client(const Window& window) {
    return window.native().client;
}

// The box of a check box or option button, in the widget's own coordinates.
QRect IndicatorOf(QAbstractButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    const QStyle::SubElement indicator = qobject_cast<QCheckBox*>(button)
                                             ? QStyle::SE_CheckBoxIndicator
                                             : QStyle::SE_RadioButtonIndicator;
    return button->style()->subElementRect(indicator, &option, button);
}

}  // namespace

void Click(Control& control) {
    QWidget* widget = WidgetOf(control);
    QPoint at = widget->rect().center();
    if (auto* button = qobject_cast<QAbstractButton*>(widget);
        button && !qobject_cast<QPushButton*>(widget)) {
        at = IndicatorOf(button).center();
    }
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, at);
}

void Press(Control& control, Key key) {
    QWidget* widget = WidgetOf(control);
    widget->setFocus(Qt::OtherFocusReason);
    const Qt::Key qt_key = key == Key::kEnter   ? Qt::Key_Return
                           : key == Key::kSpace ? Qt::Key_Space
                                                : Qt::Key_Tab;
    QTest::keyClick(widget, qt_key);
}

void Choose(MenuItem& item) {
    item.native().action->trigger();
}

void SelectDrive(DriveListBox& list, const std::string& drive) {
    // As a user picks an entry: through the combo box's own index, not SetDrive.
    auto* combo = static_cast<QComboBox*>(WidgetOf(list));
    for (int i = 0; i < combo->count(); ++i) {
        combo->setCurrentIndex(i);
        if (list.Drive() == drive) {
            return;
        }
    }
}

bool Select(DirListBox& list, const std::string& path) {
    auto* tree = static_cast<QTreeWidget*>(WidgetOf(list));
    const QByteArray wanted = QByteArray::fromStdString(path);
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toByteArray() == wanted) {
            tree->setCurrentItem(*it);
            return true;
        }
    }
    return false;
}

bool Open(DirListBox& list, const std::string& path) {
    if (!Select(list, path)) {
        return false;
    }
    QWidget* tree = WidgetOf(list);
    tree->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(tree, Qt::Key_Return);
    return true;
}

void Close(Window& window) {
    WindowWidget(window)->close();
}

void ProcessEvents() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

bool WaitFor(const std::function<bool()>& done, int milliseconds) {
    return QTest::qWaitFor(done, milliseconds);
}

namespace {

std::vector<std::string>& Recorded() {
    static std::vector<std::string> recorded;
    return recorded;
}

void Record(QtMsgType, const QMessageLogContext&, const QString& text) {
    // The offscreen platform's notes on what it does not support are not the program's.
    if (!text.contains(QLatin1String("This plugin does not support"))) {
        Recorded().push_back(qt::FromQt(text));
    }
}

}  // namespace

void RecordToolkitMessages() {
    qInstallMessageHandler(&Record);
}

std::vector<std::string> TakeToolkitMessages() {
    std::vector<std::string> taken;
    taken.swap(Recorded());
    return taken;
}

bool IsOnScreen(const Window& window) {
    return WindowWidget(window)->isVisible();
}

int ClientWidth(const Window& window) {
    return Client(window)->width();
}

int ClientHeight(const Window& window) {
    return Client(window)->height();
}

int MenuBarHeight(const Window& window) {
    return Client(window)->y();
}

PixelRect Geometry(const Control& control) {
    const QRect rect = WidgetOf(control)->geometry();
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

std::string ControlAt(const Window& window, int x, int y) {
    QWidget* widget = Client(window)->childAt(x, y);
    while (widget != nullptr && widget->parentWidget() != Client(window)) {
        widget = widget->parentWidget();
    }
    return widget ? qt::FromQt(widget->objectName()) : std::string();
}

std::string FocusedControl(const Window& window) {
    QWidget* focus = WindowWidget(window)->focusWidget();
    return focus ? qt::FromQt(focus->objectName()) : std::string();
}

std::vector<std::string> FocusOrder(const Window& window, const std::vector<std::string>& names) {
    QWidget* top = WindowWidget(window);
    std::vector<std::string> order;
    for (QWidget* widget = top->nextInFocusChain(); widget != top;
         widget = widget->nextInFocusChain()) {
        const std::string name = qt::FromQt(widget->objectName());
        if (std::find(names.begin(), names.end(), name) != names.end() &&
            std::find(order.begin(), order.end(), name) == order.end()) {
            order.push_back(name);
        }
    }
    // The chain is a ring; read it from the first name asked for.
    const auto start = std::find(order.begin(), order.end(), names.empty() ? "" : names[0]);
    if (start != order.end()) {
        std::rotate(order.begin(), start, order.end());
    }
    return order;
}

bool HasMinimizeButton(const Window& window) {
    return WindowWidget(window)->windowFlags() & Qt::WindowMinimizeButtonHint;
}

bool HasMaximizeButton(const Window& window) {
    return WindowWidget(window)->windowFlags() & Qt::WindowMaximizeButtonHint;
}

bool IsResizable(const Window& window) {
    return WindowWidget(window)->minimumSize() != WindowWidget(window)->maximumSize();
}

bool HasIcon(const Window& window) {
    return !WindowWidget(window)->windowIcon().isNull();
}

PixelRect ScreenGeometry(const Window& window) {
    const QRect rect = WindowWidget(window)->geometry();
    const QPoint client = Client(window)->mapTo(WindowWidget(window), QPoint(0, 0));
    return {rect.x() + client.x(), rect.y() + client.y(), Client(window)->width(),
            Client(window)->height()};
}

Accessible AccessibleOf(const Control& control) {
    QAccessibleInterface* element = QAccessible::queryAccessibleInterface(WidgetOf(control));
    if (element == nullptr) {
        return {};
    }
    const QAccessible::Role role = element->role();
    return {role == QAccessible::StaticText ? "label" : std::to_string(role),
            qt::FromQt(element->text(QAccessible::Name))};
}

ShownFont FontOf(const Control& control) {
    const QFont font = WidgetOf(control)->font();
    return {qt::FromQt(font.family()), font.pointSizeF(), font.bold(),
            font == qt::DefaultFont() && font == QApplication::font()};
}

bool HasGlyph(const Control& control, char32_t code_point) {
    return QFontMetrics(WidgetOf(control)->font()).inFontUcs4(code_point);
}

std::vector<ShownMenu> Menus(const Window& window) {
    std::vector<ShownMenu> menus;
    for (QAction* top : WindowWidget(window)->menuBar()->actions()) {
        QMenu* menu = top->menu();
        if (menu == nullptr) {
            continue;
        }
        ShownMenu shown{qt::FromQt(menu->objectName()), qt::FromQt(menu->title()), {}};
        for (QAction* item : menu->actions()) {
            shown.items.emplace_back(qt::FromQt(item->objectName()), qt::FromQt(item->text()));
        }
        menus.push_back(std::move(shown));
    }
    return menus;
}

bool MenuBarRightToLeft(const Window& window) {
    return WindowWidget(window)->menuBar()->layoutDirection() == Qt::RightToLeft;
}

std::pair<int, int> PictureSize(const Image& image) {
    const QPixmap picture = static_cast<QLabel*>(WidgetOf(image))->pixmap();
    return {picture.width(), picture.height()};
}

PixelRect BoxOf(const Control& control) {
    auto* button = qobject_cast<QAbstractButton*>(WidgetOf(control));
    const QRect box = button ? IndicatorOf(button) : QRect();
    return {box.x(), box.y(), box.width(), box.height()};
}

std::vector<std::string> Entries(const DriveListBox& list) {
    auto* combo = static_cast<QComboBox*>(WidgetOf(list));
    std::vector<std::string> entries;
    for (int i = 0; i < combo->count(); ++i) {
        entries.push_back(qt::FromQt(combo->itemText(i)));
    }
    return entries;
}

std::vector<std::string> Entries(const DirListBox& list) {
    auto* tree = static_cast<QTreeWidget*>(WidgetOf(list));
    std::vector<std::string> entries;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        int depth = 0;
        for (QTreeWidgetItem* parent = (*it)->parent(); parent; parent = parent->parent()) {
            ++depth;
        }
        entries.push_back(std::string(2 * depth, ' ') + qt::FromQt((*it)->text(0)));
    }
    return entries;
}

std::vector<std::string> ShownLines(const Label& label) {
    return static_cast<const qt::LabelWidget*>(WidgetOf(label))->Lines();
}

int Paints(const Label& label) {
    return static_cast<const qt::LabelWidget*>(WidgetOf(label))->paints();
}

Picture Grab(const Control& control) {
    const QImage image = WidgetOf(control)->grab().toImage().convertToFormat(QImage::Format_RGB32);
    Picture picture{image.width(), image.height(), {}};
    picture.pixels.reserve(static_cast<std::size_t>(image.width()) * image.height());
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            picture.pixels.push_back(image.pixel(x, y) & 0xFFFFFF);
        }
    }
    return picture;
}

std::vector<std::string> ClippedCaptions(const Window& window) {
    std::vector<std::string> clipped;
    const QList<QWidget*> widgets =
        Client(window)->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* widget : widgets) {
        if (widget->isHidden()) {
            continue;
        }
        const std::string name = qt::FromQt(widget->objectName());
        const Control* control = window.FindControl(name);
        if (control == nullptr) {
            continue;
        }
        const QFontMetrics metrics = widget->fontMetrics();
        if (const auto* label = dynamic_cast<const Label*>(control)) {
            const std::vector<std::string> lines = ShownLines(*label);
            bool too_wide = false;
            for (const std::string& line : lines) {
                too_wide |= metrics.horizontalAdvance(qt::ToQt(line)) > widget->width();
            }
            const int height = static_cast<int>(lines.size()) * metrics.lineSpacing();
            if (!label->Caption().empty() && (too_wide || height > widget->height())) {
                clipped.push_back(name);
            }
            continue;
        }
        auto* button = qobject_cast<QAbstractButton*>(widget);
        if (button == nullptr || button->text().isEmpty()) {
            continue;
        }
        // The room the text has: inside the frame of a push button; beside the box of a
        // check box or an option button, up to the control's far edge, where Qt clips.
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        int room = 0;
        if (qobject_cast<QPushButton*>(button)) {
            room = button->style()
                       ->subElementRect(QStyle::SE_PushButtonContents, &option, button)
                       .width();
        } else {
            const QStyle::SubElement contents = qobject_cast<QCheckBox*>(button)
                                                    ? QStyle::SE_CheckBoxContents
                                                    : QStyle::SE_RadioButtonContents;
            const QRect text = button->style()->subElementRect(contents, &option, button);
            room = button->layoutDirection() == Qt::LeftToRight ? button->width() - text.left()
                                                                : text.right() + 1;
        }
        // The ink ends before the advance by the blank after the last character.
        const int ink = metrics.horizontalAdvance(button->text()) -
                        qMax(0, metrics.rightBearing(button->text().back()));
        if (ink > room) {
            clipped.push_back(name);
        }
    }
    return clipped;
}

}  // namespace vantrelle::ui::driver
