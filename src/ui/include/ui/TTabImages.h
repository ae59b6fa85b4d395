#pragma once

#include <QIcon>

/// The three 16×16 images of the page tabs: a script page (Input and Output), a form
/// (Properties) and an information sign (About). Drawn in code rather than decoded from files,
/// which keeps image decoding out of the program's start-up.
class TTabImages {
public:
    enum Image { Script = 0, Properties = 1, About = 2 };

    static constexpr int kSize = 16;

    /// The image at `index` (0 to 2).
    static QIcon icon(int index);
};
