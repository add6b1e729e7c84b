#pragma once

// The stills strip under the picture: "Live" first, then a thumbnail of each still of this run. A click
// chooses what the view shows.
//
// Thread use: GUI thread.

#include "app/Stills.h"

#include <QListWidget>

#include <functional>
#include <optional>

class StillsStrip : public QListWidget {
  public:
    // chosen(none) is the live picture, chosen(i) the still i.
    StillsStrip(const Stills &stills, std::function<void(std::optional<std::size_t>)> chosen,
                QWidget *parent);

    // Shows the stills as they are now, with current marked.
    void refresh(std::optional<std::size_t> current);

  private:
    const Stills &stills_;
};
