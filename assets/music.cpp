// Composes the presentation's music: reads the score (amber_drift.score),
// synthesises every instrument, arranges the rows and writes an Impulse
// Tracker module. Deterministic: the same score gives the same bytes.
//
//   vorn_gen_music <out.it> <score>
#include "assets/music_gen.h"

using namespace vgm;

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: vorn_gen_music OUT.it SCORE\n");
        return 2;
    }
    Score sc;
    if (!ParseScore(argv[2], sc))
        return 1;
    Song song;
    if (!Arrange(sc, song))
        return 1;

    std::vector<Sample> smp;
    smp.push_back(MakePad());
    smp.push_back(MakeBass());
    smp.push_back(MakeLead());
    smp.push_back(MakePluck());
    smp.push_back(MakeBell());
    smp.push_back(MakeKick());
    smp.push_back(MakeSnare());
    smp.push_back(MakeHat(false));
    smp.push_back(MakeHat(true));
    smp.push_back(MakeCrash());
    smp.push_back(MakeNoise());

    // Envelope ticks: 15.625 ms each at tempo 160.
    std::vector<Instrument> ins = {
        {"Pad", 1, 2, 24, {{{0, 0}, {20, 64}, {90, 0}}, 1}},
        {"Pad swell", 1, 2, 16, {{{0, 0}, {110, 64}, {200, 0}}, 1}},
        {"Bass", 2, 0, 64, {{{0, 64}, {5, 0}}, 0}},
        {"Lead", 3, 2, 48, {{{0, 0}, {2, 64}, {40, 50}, {52, 0}}, 2}},
        {"Pluck", 4, 1, 0, {}},
        {"Bell", 5, 1, 0, {}},
        {"Kick", 6, 0, 0, {}},
        {"Snare", 7, 0, 0, {}},
        {"Hat", 8, 0, 0, {}},
        {"Open hat", 9, 0, 0, {}},
        {"Crash", 10, 1, 0, {}},
        {"Noise", 11, 0, 64, {}},
    };
    if ((int)ins.size() != INS_COUNT || smp.size() != ins.size() - 1)
        return 1;
    if (!WriteIT(argv[1], sc, song, smp, ins)) {
        std::fprintf(stderr, "vorn_gen_music: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
