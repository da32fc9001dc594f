#pragma once
// Two drifting fog layers that swell and fade, with a faint banner that moves
// each time the fog has faded out.
#include <cstdint>

#include "scenes/scene.h"
#include "settings/settings.h"

class Nebel : public CommonAnswersHelper<Nebel> {
public:
    explicit Nebel(Settings* liveSettings);
    ~Nebel() override;
    Nebel(const Nebel&) = delete;
    Nebel& operator=(const Nebel&) = delete;

    bool Init(float width, float height, bool resetState, bool createResources) override;
    void Advance(float timeStep) override;
    void Draw() override;
    bool UsesLighting() override { return false; }
    void DrawCaption(TextFont* font, std::int32_t x, std::int32_t y) override;

    // The state half of Init, after the textures and the identity matrix.
    // The banner keeps its place.
    void InitState(bool resetState, bool createResources);

    std::uint32_t bannerTexture = 0;  // GL texture names
    std::uint32_t fogTexture = 0;
    Settings* settings;
    float layer1Shift = 0.0f;  // [0, 1)
    float layer2S = 0.0f;      // (0, 1]
    float layer2T = 0.0f;      // [0, 1)
    float alpha = 0.1f;
    std::int32_t bannerX = 0;  // hundredths of a unit, -40..39
    std::int32_t bannerY = 0;
    bool alphaRising = true;
};

// A new Nebel for the factory; null when memory runs out.
ISceneStrategy* CreateNebel(Settings* liveSettings);
