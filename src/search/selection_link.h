// Connects the search to the views' selections (editing::Selection): found text is selected
// as a finished stream selection, and the replace loop reads the selection it is confined to.
#pragma once

#include <functional>

#include "editing/selection.h"
#include "search/find_commands.h"

namespace norv::search {

class SelectionLink : public FoundTextSelection {
  public:
    // `lookup` gives the selection of a view (null: the view has none).
    explicit SelectionLink(std::function<editing::Selection*(editing::CElwView&)> lookup)
        : lookup_(std::move(lookup)) {}

    void Select(editing::CElwView& view, int line1, size_t pos1, int line2, size_t pos2) override;
    void Cancel(editing::CElwView& view) override;
    std::optional<SelectedArea> Area(editing::CElwView& view) override;
    void Restore(editing::CElwView& view, const SelectedArea& area) override;

  private:
    std::function<editing::Selection*(editing::CElwView&)> lookup_;
};

}  // namespace norv::search
