#include "platform/vcl/Controls.h"

#include "platform/vcl/FileSystem.h"

#include <algorithm>

namespace vcl {

static TScreen s_screen;
TScreen* Screen = &s_screen;

TControl::TControl(TForm* owner, TControl* parent, std::string name, ControlKind kind)
    : m_owner(owner)
    , m_parent(parent)
    , m_name(std::move(name))
    , m_kind(kind)
{
}

void TControl::Changed(Property property)
{
    if (!m_owner)
        return;
    if (ControlObserver* observer = m_owner->Observer())
        observer->ControlChanged(*this, property);
}

void TControl::SetVisible(bool visible)
{
    m_visible = visible;
    Changed(Property::Visible);
}

void TControl::SetEnabled(bool enabled)
{
    m_enabled = enabled;
    Changed(Property::Enabled);
}

void TControl::SetCaption(std::string caption)
{
    m_caption = std::move(caption);
    Changed(Property::Caption);
}

void TControl::Repaint()
{
    Changed(Property::Repaint);
}

void TButton::Click()
{
    if (OnClick)
        OnClick(this);
}

TComboBox::TComboBox(TForm* owner, TControl* parent, std::string name)
    : TControl(owner, parent, std::move(name), ControlKind::ComboBox)
{
    Items.OnChange = [this] {
        if (m_itemIndex >= Items.Count())
            m_itemIndex = -1;
        Changed(Property::Items);
    };
}

void TComboBox::SetItemIndex(int index)
{
    if (index < -1 || index >= Items.Count())
        index = -1;
    m_itemIndex = index;
    if (index >= 0)
        m_text = Items[index];
    Changed(Property::ItemIndex);
}

void TComboBox::SetText(std::string text)
{
    m_text = std::move(text);
    m_itemIndex = -1;
    Changed(Property::Text);
}

void TComboBox::Change()
{
    if (OnChange)
        OnChange(this);
}

void TFileListBox::SetDirectory(std::string directory)
{
    m_directory = std::move(directory);
    Update();
}

void TFileListBox::SetMask(std::string mask)
{
    m_mask = std::move(mask);
    Update();
}

void TFileListBox::Update()
{
    m_items.clear();
    for (std::string& name : ListFiles(m_directory)) {
        if (MatchesMask(name, m_mask))
            m_items.push_back(std::move(name));
    }
    SortFileNames(m_items);
    m_itemIndex = -1;
    Changed(Property::Files);
}

void TFileListBox::SetItemIndex(int index)
{
    if (index < -1 || index >= static_cast<int>(m_items.size()))
        index = -1;
    m_itemIndex = index;
    Changed(Property::Files);
}

std::string TFileListBox::FileName() const
{
    if (m_itemIndex < 0)
        return {};
    return JoinPath(m_directory, m_items[static_cast<std::size_t>(m_itemIndex)]);
}

void TFileListBox::Click()
{
    if (OnClick)
        OnClick(this);
}

// The position always lies within the range, as on the platform's bar.
void TProgressBar::SetMin(int value)
{
    m_min = value;
    m_position = std::clamp(m_position, m_min, std::max(m_min, m_max));
    Changed(Property::Progress);
}

void TProgressBar::SetMax(int value)
{
    m_max = value;
    m_position = std::clamp(m_position, m_min, std::max(m_min, m_max));
    Changed(Property::Progress);
}

void TProgressBar::SetPosition(int value)
{
    m_position = std::clamp(value, m_min, std::max(m_min, m_max));
    Changed(Property::Progress);
}

void TProgressBar::StepIt()
{
    long long next = static_cast<long long>(m_position) + m_step;
    if (next > m_max)
        next = m_min + (next - m_max);
    m_position = static_cast<int>(next);
    Changed(Property::Progress);
}

TForm::TForm(std::string name)
    : TControl(this, nullptr, std::move(name), ControlKind::Form)
{
}

TForm::~TForm() = default;

TControl* TForm::FindComponent(const std::string& name) const
{
    for (const auto& component : m_components) {
        if (component->Name() == name)
            return component.get();
    }
    return nullptr;
}

std::vector<TControl*> TForm::Components() const
{
    std::vector<TControl*> result;
    for (const auto& component : m_components)
        result.push_back(component.get());
    return result;
}

void TScreen::SetCursor(TCursor cursor)
{
    m_cursor = cursor;
    if (m_observer)
        m_observer->CursorChanged(cursor);
}

} // namespace vcl
