#pragma once
// One line of text along the bottom of the picture: what a recording did (kept, ended,
// could not be written) for a couple of seconds, or a replay's speed and place for as long
// as it plays. In the picture's own pixels; the view it finds is put back for what follows.

#include <string>

class FrameList;

class NoticeLine final {
public:
    static constexpr unsigned TEXT_SIZE = 16;

    // Shown for frames frames; a negative count shows it until the next show.
    void show(const std::string& text, int frames);
    // One frame of its time.
    void tick();
    bool isShowing() const { return framesLeft != 0 && !line.empty(); }
    const std::string& text() const { return line; }
    void submit(FrameList& frame) const;

private:
    std::string line;
    int framesLeft = 0;
};
