#pragma once
// The strip of choices along the bottom of the editor's screen: every tile image in tile
// paint mode, every stampable kind and prop in entity mode. A click on a cell chooses it.

#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/System/Vector2.hpp>
#include <utility>
#include <vector>

class FrameList;

class PaletteStrip final {
public:
    static constexpr float HEIGHT = 56.0f;
    static constexpr float MAX_CELL = 56.0f;

    PaletteStrip();
    ~PaletteStrip();
    PaletteStrip(const PaletteStrip&) = delete;
    PaletteStrip& operator=(const PaletteStrip&) = delete;

    // Lays count cells across the bottom of a screen of this size (in screen pixels).
    void layout(const sf::Vector2f& screen, int count);
    bool contains(const sf::Vector2f& point) const;
    // The cell under a screen point, or -1.
    int cellAt(const sf::Vector2f& point) const;
    sf::FloatRect cell(int index) const;

    // In screen space. The chosen cell is framed; the one under the mouse lit.
    void submitTiles(FrameList& frame, int chosen, int hovered);
    // Stamp choices are (type, prop number) pairs; each cell shows an entity of its kind.
    void submitStamps(FrameList& frame, const std::vector<std::pair<int, int>>& choices, int chosen,
                    int hovered);

private:
    void submitCells(FrameList& frame, int chosen, int hovered);
    void paintSamples(const std::vector<std::pair<int, int>>& choices);

    sf::FloatRect area;
    int cells = 0;
    float cellWidth = 0.0f;
    // One entity of each stamp choice as it would stand, painted once into the strip's cells.
    sf::RenderTexture samplePicture;
    std::vector<std::pair<int, int>> sampled;
    float sampledWidth = -1.0f;
};
