#include <algorithm>

#include "skin/controls/sk_edit.h"

namespace skin {

void TEditActionStack::RecordDelete(int position, const vcl::WideString& text)
{
    if (text.empty())
        return;
    if (!actions_.empty() && position > 0) {
        EditAction& top = actions_.back();
        const int length = static_cast<int>(text.size());
        // Only a deletion that touches the one on top joins it: one just
        // before it (Backspace) or at the same place (Delete). A gap
        // between the two would put the restored text in the wrong place.
        if (top.kind == EditAction::Deletion && position + length == top.position) {
            top.text = text + top.text;
            top.position = position;
            return;
        }
        if (top.kind == EditAction::Deletion && position == top.position) {
            top.text += text;
            return;
        }
    }
    EditAction action;
    action.kind = EditAction::Deletion;
    action.position = position;
    action.text = text;
    actions_.push_back(std::move(action));
}

void TEditActionStack::RecordInsert(int position, int count, bool chained)
{
    if (count == 0)
        return;
    if (!actions_.empty()) {
        EditAction& top = actions_.back();
        if (top.kind == EditAction::Insertion && position == top.position + top.count) {
            top.count += count;
            return;
        }
    }
    EditAction action;
    action.kind = EditAction::Insertion;
    action.position = position;
    action.count = count;
    action.chained = chained;
    actions_.push_back(std::move(action));
}

bool TEditActionStack::Undo()
{
    bool undone = false;
    while (!actions_.empty()) {
        const EditAction action = std::move(actions_.back());
        actions_.pop_back();
        undone = true;
        vcl::WideString text = edit_->text_;
        const int length = static_cast<int>(text.size());
        const int at = std::clamp(action.position - 1, 0, length);
        if (action.kind == EditAction::Deletion) {
            vcl::WideString restored = action.text;
            if (edit_->maxLength_ > 0)
                restored.resize(static_cast<std::size_t>(
                    std::clamp<int>(edit_->maxLength_ - length, 0, static_cast<int>(restored.size()))));
            text.insert(static_cast<std::size_t>(at), restored);
            edit_->SetText(text);
            const int end = at + static_cast<int>(restored.size());
            edit_->selDelta_ = 0;
            edit_->SetCaretPos(end);
            edit_->selAnchor_ = end;
            edit_->selDelta_ = -static_cast<int>(restored.size());
        } else {
            text.erase(static_cast<std::size_t>(at),
                       static_cast<std::size_t>(std::clamp(action.count, 0, length - at)));
            edit_->SetText(text);
            edit_->selDelta_ = 0;
            edit_->SetCaretPos(at);
        }
        edit_->Invalidate();
        if (!action.chained)
            break;
    }
    return undone;
}

}  // namespace skin
