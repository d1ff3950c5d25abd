// The rankings page's update turning queued ranking pages (25 rows each, as the service sends them)
// into the list under its 10 ms budget a frame, beside one plain pass that splits the same text
// into rows. Needs no window and no service: the list is marked complete, so nothing is asked for.
//   bench_ranking_bench [--rows N] [--runs N]
#include "timing.h"

#include "game/game_types.h"
#include "game/game_state.h"
#include "game/states.h"
#include "online/query.h"
#include "online/rankings.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int pageRows = 25;

std::vector<std::string> makePages(int rows)
{
    std::vector<std::string> pages;
    for (int first = 0; first < rows; first += pageRows) {
        std::string body;
        for (int i = first; i < std::min(rows, first + pageRows); ++i)
            body += "4,player" + std::to_string(i) + "," + std::to_string(i + 1) + "," +
                    std::to_string(9000000 - i * 7) + "," + std::to_string(1000 + i) + ",12\r\n";
        pages.push_back(body);
    }
    return pages;
}

struct Run {
    int frames = 0;
    double longest = 0.0, total = 0.0;
};

Run throughUpdate(const std::vector<std::string>& pages)
{
    restartRankingList();
    rankingAtEnd = true;
    rankingReplies.assign(pages.begin(), pages.end());
    Run run;
    while (!rankingReplies.empty()) {
        const double start = bench::nowMs();
        UpdateRanking(16.0f);
        const double ms = bench::nowMs() - start;
        run.longest = std::max(run.longest, ms);
        run.total += ms;
        ++run.frames;
    }
    return run;
}

double plainPass(const std::vector<std::string>& pages, std::size_t* rows)
{
    const double start = bench::nowMs();
    std::vector<std::string> list;
    for (const std::string& body : pages) {
        std::size_t at = 0, end;
        while ((end = body.find("\r\n", at)) != std::string::npos) {
            list.push_back(body.substr(at, end - at));
            at = end + 2;
        }
    }
    *rows = list.size();
    return bench::nowMs() - start;
}

} // namespace

int main(int argc, char** argv)
{
    int rows = 10000, runs = 20;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rows") == 0)
            rows = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
    }
    gameState = gs::Ranking;
    gameMode = gm::Rush;
    const std::vector<std::string> pages = makePages(rows);

    Run best, worst;
    double plain = 1e30;
    std::size_t plainRows = 0;
    for (int r = 0; r < runs; ++r) {
        const Run run = throughUpdate(pages);
        if (r == 0 || run.total < best.total)
            best = run;
        worst.longest = std::max(worst.longest, run.longest);
        worst.frames = std::max(worst.frames, run.frames);
        plain = std::min(plain, plainPass(pages, &plainRows));
    }
    std::printf("UpdateRanking: %d queued rows in %zu pages, best of %d runs\n", rows, pages.size(), runs);
    std::printf("  rows in the list         %zu (plain pass: %zu)\n", rankingList.size(), plainRows);
    std::printf("  frames                   %d (most in any run: %d)\n", best.frames, worst.frames);
    std::printf("  longest frame            %8.3f ms  budget %.1f ms  ratio %.2f\n", worst.longest,
                rankingParseBudgetMs, worst.longest / rankingParseBudgetMs);
    std::printf("  total through the update %8.3f ms\n", best.total);
    std::printf("  one plain pass           %8.3f ms  ratio %.2f\n", plain, best.total / plain);
    return rankingList.size() == plainRows ? 0 : 1;
}
