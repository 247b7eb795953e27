#pragma once

// In-memory stand-ins for the window controls, status strip and message boxes.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/combo_control.h"
#include "platform/list_control.h"
#include "platform/prompter.h"
#include "platform/sounds.h"
#include "platform/status_sink.h"
#include "platform/text_control.h"

namespace mivex::testing {

// The text of every row, top to bottom.
std::vector<std::u16string> RowTexts(const platform::ListControl& list);

class FakeComboControl final : public platform::ComboControl {
public:
    struct Item {
        std::u16string text;
        std::int32_t data = 0;
    };

    std::size_t Count() const override { return items.size(); }
    void Reset() override;
    std::size_t AddItem(std::u16string_view text) override;
    void InsertItem(std::size_t index, std::u16string_view text) override;
    std::u16string ItemText(std::size_t index) const override { return items.at(index).text; }
    std::int32_t ItemData(std::size_t index) const override { return items.at(index).data; }
    void SetItemData(std::size_t index, std::int32_t data) override { items.at(index).data = data; }
    std::optional<std::size_t> CurrentIndex() const override { return current; }
    void SetCurrentIndex(std::optional<std::size_t> index) override;
    std::optional<std::size_t> FindExact(std::u16string_view text) const override;
    void SetRedraw(bool on) override {
        redraw = on;
        ++redrawSwitches;
    }

    std::vector<std::u16string> Texts() const;

    std::vector<Item> items;
    std::optional<std::size_t> current;
    bool redraw = true;
    int redrawSwitches = 0;
};

class FakeTextControl final : public platform::TextControl {
public:
    std::u16string Text() const override { return text; }
    void SetText(std::u16string_view value) override;
    void SetSelection(std::size_t start, std::size_t end) override;
    void ReplaceSelection(std::u16string_view value) override;

    std::u16string text;
    std::size_t selectionStart = 0;
    std::size_t selectionEnd = 0;
};

struct StatusLine {
    std::u16string text;
    platform::StatusBeep beep;
    platform::StatusColour colour;
};

class RecordingStatusSink final : public platform::StatusSink {
public:
    void ShowStatus(std::u16string_view text, platform::StatusBeep beep,
                    platform::StatusColour colour) override {
        lines.push_back({std::u16string(text), beep, colour});
    }
    std::vector<std::u16string> Texts() const;

    std::vector<StatusLine> lines;
};

struct PromptSeen {
    std::u16string text;
    std::u16string caption;
    platform::PromptButtons buttons;
    platform::PromptIcon icon;
};

// Answers from a queue (Yes when it runs dry for Yes/No boxes, Ok otherwise)
// and records every box it was shown.
class ScriptedPrompter final : public platform::Prompter {
public:
    platform::PromptAnswer ShowMessage(std::u16string_view text, std::u16string_view caption,
                                       platform::PromptButtons buttons,
                                       platform::PromptIcon icon) override;

    std::deque<platform::PromptAnswer> answers;
    std::vector<PromptSeen> seen;
};

class CountingSounds final : public platform::Sounds {
public:
    void PlayStartSound() override { ++startSounds; }
    void DefaultBeep() override { ++beeps; }
    void Beep(platform::StatusBeep beep) override { statusBeeps.push_back(beep); }
    void PlayNewMessageSound() override { ++newMessageSounds; }

    int startSounds = 0;
    int newMessageSounds = 0;
    int beeps = 0;
    std::vector<platform::StatusBeep> statusBeeps;
};

}  // namespace mivex::testing
