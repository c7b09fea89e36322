// Keyboard use of a dialog's drawn controls, and how assistive technology reads them: Tab
// and Shift+Tab move a focus frame from stop to stop, Space presses the framed control and
// Up and Down step it; each stop reads as a push button, check box, spin box or list.
#pragma once

#include <QAccessible>
#include <QRect>
#include <QString>
#include <functional>
#include <vector>

class QKeyEvent;
class QPainter;
class QWidget;

// No frame shows until the first Tab of each showing.
class DialogFocus
{
  public:
    struct Stop {
        QRect Around = {}; // dialog pixels the frame surrounds
        QString Name = {}; // what it is called in tests and to the player
        std::function<void()> Press = {};
        std::function<void(int step)> Step = {}; // +1 Up, -1 Down; none: the keys do nothing
        QAccessible::Role Role = QAccessible::Button;
        std::function<QString()> Value = {}; // spin boxes and lists: the value they show
        std::function<bool()> Checked = {};  // check boxes and level choices
        std::function<bool()> Enabled = {};  // none: always
    };

    explicit DialogFocus(QWidget *dialog);
    ~DialogFocus();
    DialogFocus(const DialogFocus &) = delete;
    DialogFocus &operator=(const DialogFocus &) = delete;

    void Add(Stop stop) { stops.push_back(std::move(stop)); }
    // Tab, Shift+Tab, Space, Up, Down; false for any other key.
    bool Key(QKeyEvent *event);
    // No frame: at every opening.
    void Reset();
    // Draws the frame of the current stop, if any.
    void Paint(QPainter &painter) const;
    // The current stop's name, empty before the first Tab.
    QString Current() const;

    const std::vector<Stop> &Stops() const { return stops; }
    int CurrentIndex() const { return current; }
    QWidget *Dialog() const { return dialog; }
    // What a stop reads as: its name, and after a colon the value it shows, if any.
    QString Reading(int index) const;
    // The focus of a dialog built with one, or null.
    static const DialogFocus *Of(const QObject *dialog);

  private:
    void MoveTo(int index);
    // Tells assistive technology that the stop took the focus or changed its value.
    void Announce(int index, QAccessible::Event event) const;

    QWidget *dialog;
    std::vector<Stop> stops;
    int current = -1;
};

// Registers the reading of dialogs built with a DialogFocus; once per program, before any
// dialog is shown.
void InstallDialogAccessibility();
