// Renders the embedded module through libmikmod and our output driver into
// a 16-bit stereo WAV file, exactly as the presentation mixes it. Used to
// make the listening excerpt in docs/.
//
//   vorn_render_music OUT.wav [START_SECONDS [LENGTH_SECONDS]]
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "runtime/music.h"

static void Put32(std::vector<u8> &b, u32 v)
{
    for (int i = 0; i < 4; i++)
        b.push_back((u8)(v >> (8 * i)));
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: vorn_render_music OUT.wav [START_SECONDS [LENGTH_SECONDS]]\n");
        return 2;
    }
    const double start = argc > 2 ? std::atof(argv[2]) : 0.0;
    const double length = argc > 3 ? std::atof(argv[3]) : 126.0 - start;
    const u32 rate = 44100;

    MikModSDL12_SetOffline(1);
    MikMod_RegisterDriver(&drv_sdl12);
    md_mixfreq = rate;
    MikMod_RegisterLoader(&load_it);
    md_mode = DMODE_16BITS | DMODE_STEREO | DMODE_SOFT_MUSIC;
    if (MikMod_Init("")) {
        std::fprintf(stderr, "Could not init sound: %s\n", MikMod_strerror(MikMod_errno));
        return 1;
    }
    IncMikMod_LoadMainMusic();
    IncMikMod_PrepareMainMusicMREADER();
    MODULE *module = Player_LoadGeneric(&g_MainMusic, 32, 0);
    if (!module) {
        std::fprintf(stderr, "module did not load: %s\n", MikMod_strerror(MikMod_errno));
        MikMod_Exit();
        return 1;
    }
    Player_Start(module);
    Player_SetVolume(96); // the volume control's level at start-up

    const u32 skip = (u32)(start * rate) * 4, total = (u32)(length * rate) * 4;
    std::vector<u8> pcm(total);
    std::vector<u8> scratch(4096);
    for (u32 done = 0; done < skip; done += (u32)scratch.size())
        MikModSDL12_Render(scratch.data(), skip - done < scratch.size() ? skip - done : (u32)scratch.size());
    for (u32 done = 0; done < total; done += 4096)
        MikModSDL12_Render(pcm.data() + done, total - done < 4096 ? total - done : 4096);
    Player_Stop();
    Player_Free(module);
    MikMod_Exit();

    std::vector<u8> head;
    head.insert(head.end(), {'R', 'I', 'F', 'F'});
    Put32(head, 36 + total);
    head.insert(head.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(head, 16);
    Put32(head, 1 | (2u << 16));    // PCM, stereo
    Put32(head, rate);
    Put32(head, rate * 4);
    Put32(head, 4 | (16u << 16));   // block align, bits
    head.insert(head.end(), {'d', 'a', 't', 'a'});
    Put32(head, total);
    FILE *f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(head.data(), 1, head.size(), f) != head.size() ||
        std::fwrite(pcm.data(), 1, pcm.size(), f) != pcm.size()) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        if (f)
            std::fclose(f);
        return 1;
    }
    std::fclose(f);
    return 0;
}
