#pragma once

// The form and its controls as models: plain objects holding the state the system
// reads and writes. A front end observes them and draws; tests read them directly.

#include "platform/vcl/Classes.h"

#include <memory>
#include <string>
#include <vector>

namespace vcl {

enum class ControlKind { Form, Panel, Label, ComboBox, FileListBox, GroupBox, ProgressBar, Button };

// What changed on a control, as a front end is told.
enum class Property { Caption, Visible, Enabled, Items, ItemIndex, Text, Files, Progress, Repaint };

enum class TCursor { Default, HourGlass };

class TControl;

class ControlObserver {
public:
    virtual ~ControlObserver() = default;
    virtual void ControlChanged(TControl& control, Property property) = 0;
    virtual void CursorChanged(TCursor cursor) = 0;
};

struct TFont {
    std::string Name;
    int Height = 0;
    bool Bold = false;
    int Charset = 0;
};

struct TBounds {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

class TForm;

class TControl : public TObject {
public:
    TControl(TForm* owner, TControl* parent, std::string name, ControlKind kind);

    const std::string& Name() const { return m_name; }
    ControlKind Kind() const { return m_kind; }
    TControl* Parent() const { return m_parent; }
    TForm* Owner() const { return m_owner; }

    const TBounds& Bounds() const { return m_bounds; }
    void SetBounds(TBounds bounds) { m_bounds = bounds; }
    int TabOrder = 0;

    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    const std::string& Caption() const { return m_caption; }
    void SetCaption(std::string caption);

    // Paint the control at once, even while a handler runs.
    void Repaint();

protected:
    void Changed(Property property);

private:
    TForm* m_owner;
    TControl* m_parent;
    std::string m_name;
    ControlKind m_kind;
    TBounds m_bounds;
    bool m_visible = true;
    bool m_enabled = true;
    std::string m_caption;
};

class TPanel : public TControl {
public:
    TPanel(TForm* owner, TControl* parent, std::string name)
        : TControl(owner, parent, std::move(name), ControlKind::Panel)
    {
    }
};

class TLabel : public TControl {
public:
    TLabel(TForm* owner, TControl* parent, std::string name)
        : TControl(owner, parent, std::move(name), ControlKind::Label)
    {
    }
    bool AutoSize = false;
};

class TGroupBox : public TControl {
public:
    TGroupBox(TForm* owner, TControl* parent, std::string name)
        : TControl(owner, parent, std::move(name), ControlKind::GroupBox)
    {
    }
};

class TButton : public TControl {
public:
    TButton(TForm* owner, TControl* parent, std::string name)
        : TControl(owner, parent, std::move(name), ControlKind::Button)
    {
    }
    TNotifyEvent OnClick;
    void Click();
};

// A combo box with an editable text field and a drop-down list.
class TComboBox : public TControl {
public:
    TComboBox(TForm* owner, TControl* parent, std::string name);

    TStrings Items;
    int ItemHeight = 0;
    int ItemIndex() const { return m_itemIndex; }
    void SetItemIndex(int index);
    const std::string& Text() const { return m_text; }
    // Typing into the field: the text changes and no row stays selected.
    void SetText(std::string text);

    TNotifyEvent OnChange;
    void Change();

private:
    int m_itemIndex = -1;
    std::string m_text;
};

// The files of one directory that match a mask ("*.BIN;*.HEX"), sorted by name.
class TFileListBox : public TControl {
public:
    TFileListBox(TForm* owner, TControl* parent, std::string name)
        : TControl(owner, parent, std::move(name), ControlKind::FileListBox)
    {
    }

    int ItemHeight = 0;
    const std::string& Directory() const { return m_directory; }
    void SetDirectory(std::string directory);
    const std::string& Mask() const { return m_mask; }
    void SetMask(std::string mask);
    // Reads the directory again; the selection is lost.
    void Update();

    const std::vector<std::string>& Items() const { return m_items; }
    int ItemIndex() const { return m_itemIndex; }
    void SetItemIndex(int index);
    // Directory, delimiter and the selected name; empty when nothing is selected.
    std::string FileName() const;

    TNotifyEvent OnClick;
    void Click();

private:
    std::string m_directory;
    std::string m_mask = "*.*";
    std::vector<std::string> m_items;
    int m_itemIndex = -1;
};

class TProgressBar : public TControl {
public:
    TProgressBar(TForm* owner, TControl* parent, std::string name)
        : TControl(owner, parent, std::move(name), ControlKind::ProgressBar)
    {
    }

    bool Smooth = false;
    int Min() const { return m_min; }
    int Max() const { return m_max; }
    int Position() const { return m_position; }
    int Step() const { return m_step; }
    void SetMin(int value);
    void SetMax(int value);
    void SetPosition(int value);
    void SetStep(int value) { m_step = value; }
    // Advances by Step; a step past Max wraps back to Min, as the platform's bar does.
    void StepIt();

private:
    int m_min = 0;
    int m_max = 100;
    int m_position = 0;
    int m_step = 10;
};

class TForm : public TControl {
public:
    explicit TForm(std::string name);
    ~TForm() override;

    TFont Font;
    bool AutoSize = false;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;

    // Creates a control owned by the form.
    template<class Control>
    Control* Create(TControl* parent, std::string name)
    {
        auto control = std::make_unique<Control>(this, parent, std::move(name));
        Control* result = control.get();
        m_components.push_back(std::move(control));
        return result;
    }
    TControl* FindComponent(const std::string& name) const;
    std::vector<TControl*> Components() const;

    // Asks the window to close: the message loop ends.
    void Close() { m_closeRequested = true; }
    bool CloseRequested() const { return m_closeRequested; }

    void SetObserver(ControlObserver* observer) { m_observer = observer; }
    ControlObserver* Observer() const { return m_observer; }

private:
    std::vector<std::unique_ptr<TControl>> m_components;
    ControlObserver* m_observer = nullptr;
    bool m_closeRequested = false;
};

// The screen object: the mouse cursor shown over the application.
class TScreen {
public:
    TCursor Cursor() const { return m_cursor; }
    void SetCursor(TCursor cursor);
    void SetObserver(ControlObserver* observer) { m_observer = observer; }

private:
    TCursor m_cursor = TCursor::Default;
    ControlObserver* m_observer = nullptr;
};

extern TScreen* Screen;

} // namespace vcl
