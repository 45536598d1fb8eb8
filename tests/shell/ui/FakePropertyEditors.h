#pragma once

#include <functional>
#include <string>
#include <vector>

#include "settings/SettingStore.h"
#include "shell/PropertyEditors.h"

namespace magtune::test {

// The property list's editors, answered by the test: each call is recorded
// as "editor|EditGroup|EditItem", then the matching hook (if any) changes
// the value and the editor reports `accept`.
class FakePropertyEditors : public shell::PropertyEditors {
  public:
    explicit FakePropertyEditors(settings::SettingStore& store) : store_(store) {}

    std::vector<std::string> calls;
    bool accept = true;
    std::function<void(settings::SettingStore&)> onValue;
    std::function<void(dataedit::Formula&)> onFormula;

    bool editValue() override {
        record("value");
        if (accept && onValue) {
            onValue(store_);
        }
        return accept;
    }
    bool editKeyText(const std::string&) override {
        record("string");
        return accept;
    }
    bool editTrackSequence(int track, dataedit::TrackOutputSequence&) override {
        record("track" + std::to_string(track));
        return accept;
    }
    bool editFormula(dataedit::Formula& formula) override {
        record("formula");
        if (accept && onFormula) {
            onFormula(formula);
        }
        return accept;
    }

  private:
    void record(const std::string& editor) {
        calls.push_back(editor + "|" + store_.EditGroup + "|" + store_.EditItem);
    }

    settings::SettingStore& store_;
};

}  // namespace magtune::test
