// artgen: paints every image the game loads.
//
//   artgen [output root] [name filter ...]
//
// Run from the repository root with no arguments it rewrites resources/gfx/ and the
// art pages under docs/. With filters only the jobs whose path contains one of them
// are painted (and no docs), which the tests use to compare two runs cheaply.

#include "jobs.h"
#include "sheets.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::string root = argc > 1 ? argv[1] : ".";
    std::vector<std::string> filters(argv + std::min(argc, 2), argv + argc);

    std::vector<art::Job> jobs;
    for (auto&& group : {art::tileJobs(), art::propJobs(), art::portraitJobs(), art::characterJobs(), art::hudJobs()})
        jobs.insert(jobs.end(), group.begin(), group.end());

    int failures = 0, written = 0;
    for (const art::Job& job : jobs) {
        bool wanted = filters.empty();
        for (const std::string& f : filters)
            wanted = wanted || job.path.find(f) != std::string::npos;
        if (!wanted)
            continue;
        const std::string path = root + "/" + job.path;
        if (!job.make().save(path)) {
            std::printf("artgen: could not write %s\n", path.c_str());
            ++failures;
        } else {
            ++written;
        }
    }
    if (filters == std::vector<std::string>{"--scene"})
        return art::writeTestScene(root, root + "/docs/art_scene.png") ? 0 : 1;
    if (filters.empty() && failures == 0) {
        if (!art::writeContactSheet(root, jobs, root + "/docs/art_contact_sheet.png") ||
            !art::writeTestScene(root, root + "/docs/art_scene.png"))
            ++failures;
    }
    std::printf("artgen: %d images written\n", written);
    return failures == 0 ? 0 : 1;
}
