#pragma once
// Every image the generator makes is one job: the path the game loads it from and
// the function that paints it.

#include "raster.h"

#include <functional>
#include <string>
#include <vector>

namespace art {

struct Job {
    std::string path; // relative to the output root, exactly as the game names it
    std::function<Canvas()> make;
};

std::vector<Job> tileJobs();
std::vector<Job> propJobs();
std::vector<Job> portraitJobs();
std::vector<Job> characterJobs();
std::vector<Job> hudJobs();

} // namespace art
