// The embedded music: the memory reader's edge cases, the module's
// timeline as libmikmod plays it, the arrangement heard at the start points,
// the pause/volume glue and the SDL 1.2 output driver on a real SDL device.
#include <gtest/gtest.h>

#include <SDL/SDL.h>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "runtime/music.h"
#include "ui/zkt_tinymenu_vol.h"

namespace {

const u32 kRate = 44100;

// libmikmod links loaders into a list without looking for duplicates: a
// second registration of the same loader makes the list circular, and a
// module no loader accepts then loops forever. Register once per process.
void SetUpMikMod()
{
    static bool s_bLoaderRegistered = false;
    MikMod_RegisterDriver(&drv_sdl12); // drivers are checked for duplicates
    md_mixfreq = kRate;
    if (!s_bLoaderRegistered) {
        MikMod_RegisterLoader(&load_it);
        s_bLoaderRegistered = true;
    }
    md_mode = DMODE_16BITS | DMODE_STEREO | DMODE_SOFT_MUSIC;
}

class Reader : public ::testing::Test {
protected:
    void SetUp() override
    {
        IncMikMod_LoadMainMusic();
        IncMikMod_PrepareMainMusicMREADER();
        len = g_nMainMusicLength;
    }
    MREADER *r = &g_MainMusic;
    long len = 0;
};

TEST(EmbeddedModule, IsAnImpulseTrackerFileNamedAmberDrift)
{
    ASSERT_GT(g_MUSIC_MAIN_LEN, 0xC0u);
    EXPECT_LT(g_MUSIC_MAIN_LEN, 1024u * 1024u);
    EXPECT_EQ(0, std::memcmp(g_MUSIC_MAIN, "IMPM", 4));
    EXPECT_STREQ("Amber Drift", reinterpret_cast<const char *>(g_MUSIC_MAIN + 4));
    const u32 cmwt = g_MUSIC_MAIN[0x2A] | g_MUSIC_MAIN[0x2B] << 8;
    EXPECT_GE(cmwt, 0x0214u);
    IncMikMod_LoadMainMusic();
    EXPECT_EQ(g_MUSIC_MAIN, g_pMainMusic);
    EXPECT_EQ((s32)g_MUSIC_MAIN_LEN, g_nMainMusicLength);
}

u32 Le32(const u8 *p) { return p[0] | p[1] << 8 | p[2] << 16 | (u32)p[3] << 24; }

// Clicks come from jumps: a loop's seam must be as smooth as its inside,
// and one-shot samples must start and end at rest.
TEST(EmbeddedModule, SamplesLoopAndEndWithoutClicks)
{
    const u8 *m = g_MUSIC_MAIN;
    const u32 ordNum = m[0x20] | m[0x21] << 8, insNum = m[0x22] | m[0x23] << 8, smpNum = m[0x24] | m[0x25] << 8;
    ASSERT_GT(smpNum, 5u);
    for (u32 i = 0; i < smpNum; i++) {
        const u8 *h = m + Le32(m + 0xC0 + ordNum + 4 * (insNum + i));
        ASSERT_EQ(0, std::memcmp(h, "IMPS", 4));
        const std::string name(reinterpret_cast<const char *>(h + 0x14));
        ASSERT_EQ(0x03, h[0x12] & 0x0B) << name << ": 16-bit, uncompressed";
        const u32 length = Le32(h + 0x30), loopBeg = Le32(h + 0x34), loopEnd = Le32(h + 0x38);
        const u32 at = Le32(h + 0x48);
        ASSERT_LE(at + 2 * length, g_MUSIC_MAIN_LEN) << name;
        auto sample = [&](u32 k) { return (int)(s16)(m[at + 2 * k] | m[at + 2 * k + 1] << 8); };
        EXPECT_LE(std::abs(sample(0)), 600) << name << " starts with a jump";
        if (h[0x12] & 0x10) {
            ASSERT_LT(loopBeg, loopEnd) << name;
            ASSERT_LE(loopEnd, length) << name;
            int steepest = 0;
            for (u32 k = loopBeg + 1; k < loopEnd; k++)
                steepest = std::max(steepest, std::abs(sample(k) - sample(k - 1)));
            EXPECT_LE(std::abs(sample(loopBeg) - sample(loopEnd - 1)), steepest) << name << " loop seam";
        } else {
            EXPECT_LE(std::abs(sample(length - 1)), 300) << name << " ends with a jump";
        }
    }
}

TEST_F(Reader, PreparedInLibmikmodSlotOrderAtPositionZero)
{
    g_nMainMusicPtr = 77;
    IncMikMod_PrepareMainMusicMREADER();
    EXPECT_EQ(0, g_nMainMusicPtr);
    EXPECT_EQ(&MIKMOD_MEM_SEEK, r->Seek);
    EXPECT_EQ(&MIKMOD_MEM_TELL, r->Tell);
    EXPECT_EQ(&MIKMOD_MEM_READ, r->Read);
    EXPECT_EQ(&MIKMOD_MEM_GET, r->Get);
    EXPECT_EQ(&MIKMOD_MEM_EOF, r->Eof);
}

TEST_F(Reader, SeekClampsToTheModuleAndRefusesUnknownOrigins)
{
    EXPECT_EQ(0, r->Seek(r, -10, SEEK_SET));
    EXPECT_EQ(0, r->Tell(r));
    EXPECT_EQ(0, r->Seek(r, 10, SEEK_END));
    EXPECT_EQ(len, r->Tell(r));
    EXPECT_EQ(0, r->Seek(r, 100, SEEK_SET));
    EXPECT_EQ(1, r->Seek(r, 0, 3));
    EXPECT_EQ(100, r->Tell(r));
    EXPECT_EQ(0, r->Seek(r, -30, SEEK_CUR));
    EXPECT_EQ(70, r->Tell(r));
    EXPECT_EQ(0, r->Seek(r, -5, SEEK_END));
    EXPECT_EQ(len - 5, r->Tell(r));
    // Offsets a damaged module could make the loader compute.
    EXPECT_EQ(0, r->Seek(r, LONG_MAX, SEEK_CUR));
    EXPECT_EQ(len, r->Tell(r));
    EXPECT_EQ(0, r->Seek(r, LONG_MIN, SEEK_END));
    EXPECT_EQ(0, r->Tell(r));
    EXPECT_EQ(0, r->Seek(r, LONG_MAX, SEEK_END));
    EXPECT_EQ(len, r->Tell(r));
}

TEST_F(Reader, ReadStopsAtTheEnd)
{
    std::vector<u8> buf(100, 0xEE);
    r->Seek(r, -40, SEEK_END);
    EXPECT_EQ(40, r->Read(r, buf.data(), 100));
    EXPECT_EQ(0, std::memcmp(buf.data(), g_MUSIC_MAIN + len - 40, 40));
    EXPECT_EQ(0xEE, buf[40]);
    EXPECT_EQ(len, r->Tell(r));
    EXPECT_EQ(0, r->Read(r, buf.data(), 100));
    EXPECT_EQ(1, r->Eof(r));
    EXPECT_EQ(0, r->Read(r, nullptr, 4));

    r->Seek(r, 0, SEEK_SET);
    EXPECT_EQ(4, r->Read(r, buf.data(), 4));
    EXPECT_EQ(0, std::memcmp(buf.data(), "IMPM", 4));
    EXPECT_EQ(0, r->Eof(r));
}

TEST_F(Reader, GetNeverMovesOntoTheEnd)
{
    r->Seek(r, -1, SEEK_END);
    const int last = g_MUSIC_MAIN[len - 1];
    EXPECT_EQ(last, r->Get(r));
    EXPECT_EQ(len - 1, r->Tell(r));
    EXPECT_EQ(0, r->Eof(r));
    EXPECT_EQ(last, r->Get(r));
    EXPECT_EQ(len - 1, r->Tell(r));

    r->Seek(r, 0, SEEK_SET);
    EXPECT_EQ('I', r->Get(r));
    EXPECT_EQ('M', r->Get(r));
    EXPECT_EQ(2, r->Tell(r));

    // At the end (only Seek and Read get there) there is no byte to give.
    r->Seek(r, 0, SEEK_END);
    EXPECT_EQ(EOF, r->Get(r));
    EXPECT_EQ(len, r->Tell(r));
}

TEST_F(Reader, AnotherReaderGetsFixedAnswersAndMovesNothing)
{
    MREADER other = g_MainMusic;
    r->Seek(r, 50, SEEK_SET);
    u8 byte = 0xEE;
    EXPECT_EQ(1, MIKMOD_MEM_SEEK(&other, 0, SEEK_SET));
    EXPECT_EQ(0, MIKMOD_MEM_TELL(&other));
    EXPECT_EQ(0, MIKMOD_MEM_READ(&other, &byte, 1));
    EXPECT_EQ(0xEE, byte);
    EXPECT_EQ(0, MIKMOD_MEM_GET(&other));
    EXPECT_EQ(1, MIKMOD_MEM_EOF(&other));
    EXPECT_EQ(50, g_nMainMusicPtr);
}

// libmikmod with our driver mixing on request, as the presentation starts it.
class Player : public ::testing::Test {
protected:
    void SetUp() override
    {
        MikModSDL12_SetOffline(1);
        SetUpMikMod();
        ASSERT_EQ(0, MikMod_Init("")) << MikMod_strerror(MikMod_errno);
        IncMikMod_LoadMainMusic();
        IncMikMod_PrepareMainMusicMREADER();
        module = Player_LoadGeneric(&g_MainMusic, 32, 0);
        ASSERT_NE(nullptr, module) << MikMod_strerror(MikMod_errno);
    }
    void TearDown() override
    {
        Player_Stop();
        if (module)
            Player_Free(module);
        MikMod_Exit();
        MikModSDL12_SetOffline(0);
    }
    // Mixes seconds of audio; records the order position per 10 ms.
    std::vector<s16> Render(double seconds, std::vector<int> *orders = nullptr)
    {
        const u32 chunk = kRate / 100;
        std::vector<s16> out((size_t)(seconds * 100) * chunk * 2);
        for (size_t at = 0; at < out.size(); at += chunk * 2) {
            MikModSDL12_Render(&out[at], chunk * 4);
            if (orders)
                orders->push_back(Player_Active() ? Player_GetOrder() : -1);
        }
        return out;
    }
    MODULE *module = nullptr;
};

// RMS in dB of full scale between two times.
double Level(const std::vector<s16> &pcm, double from, double to)
{
    const size_t a = (size_t)(from * kRate) * 2, b = std::min(pcm.size(), (size_t)(to * kRate) * 2);
    double sum = 0;
    for (size_t i = a; i < b; i++)
        sum += (double)pcm[i] * pcm[i];
    return 10.0 * std::log10(sum / (double)(b - a) / (32768.0 * 32768.0) + 1e-12);
}

TEST_F(Player, ModuleHasTheTitleAndTheTimelineOfThePresentation)
{
    EXPECT_STREQ("Amber Drift", module->songname);
    ASSERT_EQ(22, module->numpos);
    double total = 0, splash = 0;
    for (int p = 0; p < module->numpos; p++) {
        const double s = module->pattrows[module->positions[p]] * module->initspeed * 2.5 / module->inittempo;
        if (p < 3)
            splash += s;
        else
            EXPECT_DOUBLE_EQ(6.0, s) << "position " << p;
        total += s;
    }
    EXPECT_DOUBLE_EQ(12.0, splash);
    EXPECT_DOUBLE_EQ(126.0, total);
}

// Damaged modules: the loader may refuse them, but whatever offsets it asks
// for, the reader stays inside the bytes it was given (the copies are
// exactly as long as the data, so a sanitizer build sees any overrun).
TEST_F(Player, DamagedModulesNeverMakeTheReaderLeaveTheData)
{
    const std::vector<u8> whole(g_MUSIC_MAIN, g_MUSIC_MAIN + g_MUSIC_MAIN_LEN);
    auto tryLoad = [](const std::vector<u8> &bytes) {
        g_pMainMusic = bytes.data();
        g_nMainMusicLength = (s32)bytes.size();
        IncMikMod_PrepareMainMusicMREADER();
        MODULE *m = Player_LoadGeneric(&g_MainMusic, 32, 0);
        EXPECT_LE(g_nMainMusicPtr, g_nMainMusicLength);
        EXPECT_GE(g_nMainMusicPtr, 0);
        if (m)
            Player_Free(m);
        return m != nullptr;
    };
    for (size_t cut : {(size_t)1, (size_t)4, (size_t)100, (size_t)0xC0, (size_t)1000, whole.size() / 2,
                       whole.size() - 1}) {
        std::vector<u8> part(whole.begin(), whole.begin() + cut);
        tryLoad(part);
    }
    // Every instrument, sample and pattern offset pointing past the end.
    const u32 ordNum = whole[0x20] | whole[0x21] << 8, count = (whole[0x22] | whole[0x23] << 8) +
                                                              (whole[0x24] | whole[0x25] << 8) +
                                                              (whole[0x26] | whole[0x27] << 8);
    std::vector<u8> wild = whole;
    for (u32 i = 0; i < count; i++) {
        const u32 at = 0xC0 + ordNum + 4 * i, v = 0x7FFFFFF0u - i;
        std::memcpy(&wild[at], &v, 4);
    }
    EXPECT_FALSE(tryLoad(wild));
    EXPECT_TRUE(tryLoad(whole));
    IncMikMod_LoadMainMusic();
}

// One full mix of the song, shared by the checks that listen to it.
class Song : public Player {
protected:
    void SetUp() override
    {
        Player::SetUp();
        Player_Start(module);
        Player_SetPosition(0);
        Player_SetVolume(96);
        pcm = Render(127.0, &orders);
    }
    std::vector<s16> pcm;
    std::vector<int> orders;
};

TEST_F(Song, EveryPositionStartsOnTheStartPointTable)
{
    // First 10 ms step at which each position is playing.
    std::vector<int> firstStep(22, -1);
    for (size_t i = 0; i < orders.size(); i++)
        if (orders[i] >= 0 && orders[i] < 22 && firstStep[orders[i]] < 0)
            firstStep[orders[i]] = (int)i;
    for (int k = 3; k < 22; k++) {
        const double want = 12.0 + 6.0 * (k - 3);
        ASSERT_GE(firstStep[k], 0) << "position " << k << " never played";
        EXPECT_NEAR(want, firstStep[k] / 100.0, 0.02) << "position " << k;
    }
    EXPECT_NEAR(9.0, firstStep[2] / 100.0, 0.02);
    // The song ends at 126 s: nothing more plays after it.
    EXPECT_NE(21, orders[(size_t)(126.05 * 100)]);
}

TEST_F(Song, SoundsThroughoutAndFadesToSilence)
{
    for (int s = 0; s < 124; s++)
        EXPECT_GT(Level(pcm, s, s + 1), -35.0) << "second " << s << " is (nearly) silent";
    EXPECT_LT(Level(pcm, 125.5, 126.0), -40.0);
    // Not clipped: the loudest sample keeps headroom.
    int peak = 0;
    for (s16 v : pcm)
        peak = std::max(peak, std::abs((int)v));
    EXPECT_LT(peak, 32000);
}

TEST_F(Song, ArrangementChangesAtTheStartPoints)
{
    // Position 3 (12 s): the splash's quiet build gives way to the groove.
    EXPECT_GT(Level(pcm, 12, 18) - Level(pcm, 0, 6), 6.0);
    EXPECT_GT(Level(pcm, 12, 13) - Level(pcm, 11, 12), 2.0);
    // Position 10 (54 s): the breakdown, no snare, softer than what led in.
    EXPECT_GT(Level(pcm, 48, 54) - Level(pcm, 54, 60), 4.0);
    // Position 21 (120 s): the last chord, fading to nothing by 126 s.
    EXPECT_GT(Level(pcm, 114, 120) - Level(pcm, 124, 126), 10.0);
}

TEST_F(Player, StartPointPositionsPlayWhereTheTableSays)
{
    Player_Start(module);
    Player_SetPosition(10);
    std::vector<int> orders;
    auto pcm = Render(0.5, &orders);
    EXPECT_EQ(10, orders.back());
    EXPECT_GT(Level(pcm, 0.1, 0.5), -35.0);
}

TEST_F(Player, PauseGlueSilencesAndResumesAndVolumeFollowsTheControl)
{
    Player_Start(module);
    Player_SetPosition(6);
    Render(0.5);
    TinyMenu_TogglePause(1);
    EXPECT_TRUE(Player_Paused());
    auto quiet = Render(0.3);
    for (s16 v : quiet)
        ASSERT_EQ(0, v);
    TinyMenu_TogglePause(0); // the argument does not matter: it toggles
    EXPECT_FALSE(Player_Paused());
    EXPECT_GT(Level(Render(0.5), 0, 0.5), -35.0);

    Player_SetVolume(0);
    EXPECT_EQ(0, module->volume);
    TinyMenu_VolumeUpdate();
    EXPECT_EQ((SWORD)(s16)ZKT_TMV_Vol_GetVolume(), module->volume);
}

// Every distinct mapped file whose name contains "libSDL".
std::set<std::string> MappedSDLLibraries()
{
    std::set<std::string> libs;
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        const size_t slash = line.find('/');
        if (slash != std::string::npos && line.find("libSDL", slash) != std::string::npos)
            libs.insert(line.substr(slash));
    }
    return libs;
}

std::vector<u8> ReadFile(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<u8>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// The real path: SDL 1.2's disk audio driver writes what our driver mixes,
// on SDL's own audio thread, while the main thread keeps calling the player.
TEST(SDL12Driver, PlaysOnSDLsAudioThreadWithTheMainThreadCallingThePlayer)
{
    char dir[] = "/tmp/vorn_music_XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(dir));
    const std::string file = std::string(dir) + "/audio.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "23", 1); // one 1024-frame buffer: real time

    MikModSDL12_SetOffline(0);
    SetUpMikMod();
    ASSERT_EQ(0, MikMod_Init("")) << MikMod_strerror(MikMod_errno);
    IncMikMod_LoadMainMusic();
    IncMikMod_PrepareMainMusicMREADER();
    MODULE *module = Player_LoadGeneric(&g_MainMusic, 32, 0);
    ASSERT_NE(nullptr, module);
    Player_Start(module);
    Player_SetPosition(6);
    Player_SetVolume(96);

    const Uint32 start = SDL_GetTicks();
    int round = 0;
    while (SDL_GetTicks() - start < 2000) {
        if (Player_Active())
            MikMod_Update();
        if (++round % 50 == 0) { // what the volume control and menu do
            TinyMenu_TogglePause(1);
            TinyMenu_TogglePause(0);
            Player_SetVolume((SWORD)(96 - round % 7));
        }
        SDL_Delay(1);
    }

    const auto libs = MappedSDLLibraries();
    EXPECT_EQ(1u, libs.size());
    for (const auto &l : libs)
        EXPECT_NE(std::string::npos, l.find("libSDL-1.2")) << l;

    Player_Stop();
    Player_Free(module);
    MikMod_Exit();
    MikModSDL12_CloseDevice();

    const auto raw = ReadFile(file);
    std::remove(file.c_str());
    rmdir(dir);
    const double seconds = raw.size() / (double)(kRate * 4);
    EXPECT_GT(seconds, 1.5);
    EXPECT_LT(seconds, 3.0);
    std::vector<s16> pcm(raw.size() / 2);
    std::memcpy(pcm.data(), raw.data(), pcm.size() * 2);
    EXPECT_GT(Level(pcm, 0.2, seconds), -35.0);
}

TEST(SDL12Driver, ReportsAnAudioDeviceThatCannotBeOpened)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    MikModSDL12_SetOffline(0);
    SetUpMikMod();
    EXPECT_NE(0, MikMod_Init(""));
    const char *text = MikMod_strerror(MikMod_errno);
    ASSERT_NE(nullptr, text);
    EXPECT_GT(std::strlen(text), 0u);
    // The shut-down path that follows a failed start-up must be harmless.
    Player_Stop();
    MikMod_Exit();
    MikModSDL12_CloseDevice();
    EXPECT_EQ(0u, SDL_WasInit(SDL_INIT_AUDIO));
}

TEST(SDL12Driver, StartsAgainAfterAnExitAndOnlyOneSDLIsLoaded)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    MikModSDL12_SetOffline(0);
    for (int i = 0; i < 2; i++) {
        SetUpMikMod();
        ASSERT_EQ(0, MikMod_Init("")) << "round " << i << ": " << MikMod_strerror(MikMod_errno);
        EXPECT_EQ(SDL_AUDIO_PAUSED, SDL_GetAudioStatus());
        IncMikMod_PrepareMainMusicMREADER();
        IncMikMod_LoadMainMusic();
        MODULE *module = Player_LoadGeneric(&g_MainMusic, 32, 0);
        ASSERT_NE(nullptr, module);
        Player_Start(module);
        EXPECT_EQ(SDL_AUDIO_PLAYING, SDL_GetAudioStatus());
        SDL_Delay(60);
        Player_Stop();
        Player_Free(module);
        MikMod_Exit();
        EXPECT_EQ(SDL_AUDIO_PAUSED, SDL_GetAudioStatus());
    }
    MikModSDL12_CloseDevice();
    EXPECT_EQ(SDL_AUDIO_STOPPED, SDL_GetAudioStatus());
    EXPECT_EQ(1u, MappedSDLLibraries().size());
}

} // namespace
