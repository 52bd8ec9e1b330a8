#pragma once
// Paints a frame list on a render target, item by item in its order, each in its own view.
// A trimmed sprite or a wall block is drawn whole, the same two triangles as ever, with the
// rasteriser held by a scissor box to the target's pixels around the part that can show (a
// texel and a pixel wider): cutting the sprite instead would move its triangles, and with
// them which texel a pixel centre on a texel edge takes. The pixels of the frame's cover
// are left out of both, with up to four boxes that share no pixel. Blocks that show whole
// go in runs of one image, a draw call each. Right after a wall block, each character
// painted before it that it hides shows there as a flat shape of the character's colour.

#include <cstddef>

namespace sf { class RenderTarget; }
class FrameList;

class Painter final {
public:
    struct Options {
        // Off, trimmed sprites and wall blocks are painted whole: the plain picture.
        bool trim = true;
        // The items painted, [from, to).
        std::size_t from = 0;
        std::size_t to = static_cast<std::size_t>(-1);
        // Off, what the target holds is painted over.
        bool clear = true;
    };

    // Clears target to the list's colour and paints the items; the target keeps the view
    // of the last item painted.
    static void paint(const FrameList& list, sf::RenderTarget& target, const Options& options);
    static void paint(const FrameList& list, sf::RenderTarget& target) { paint(list, target, Options()); }

    // Off, characters behind wall blocks stay hidden (the benchmark weighs the silhouettes).
    static bool silhouettes;
};
