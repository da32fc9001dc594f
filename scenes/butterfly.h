#pragma once
// Fifty butterflies sinking through the view, turning and flapping.
#include <cstdint>

#include "scenes/scene.h"
#include "settings/settings.h"

struct ButterflyState {
    std::int32_t textureIndex;  // 0..2, which colour picture
    float x, y, z;
    float fallSpeed;  // units y loses per frame
    float heading;    // degrees about the butterfly's z axis
    float turnRate;   // degrees added to heading per frame
    float wingFold;   // z of the two free wing tips
    float wingRate;   // added to wingFold per frame; flips sign at the ends
};

constexpr std::int32_t kButterflyCapacity = 50;

class Butterfly : public CommonAnswersHelper<Butterfly> {
public:
    explicit Butterfly(Settings* liveSettings);
    ~Butterfly() override;
    Butterfly(const Butterfly&) = delete;
    Butterfly& operator=(const Butterfly&) = delete;

    bool Init(float width, float height, bool resetState, bool createResources) override;
    void Advance(float timeStep) override;
    void Draw() override;
    bool UsesLighting() override { return false; }
    void DrawCaption(TextFont* font, std::int32_t x, std::int32_t y) override;

    // The state half of Init, after the textures and the identity matrix:
    // with resetState every butterfly starts anew, index 0 first.
    void InitState(bool resetState, bool createResources);
    // A new start at the top of the view; heading carries on.
    void Respawn(std::int32_t index);

    std::uint32_t textures[4] = {};  // GL texture names: colours 0..2, mask 3
    Settings* settings;
    std::int32_t count = kButterflyCapacity;

    // One scene object exists per process, so the flock lives in static
    // storage, all zero at program start.
    static ButterflyState butterflies[kButterflyCapacity];
};

// A new Butterfly for the factory; null when memory runs out.
ISceneStrategy* CreateButterfly(Settings* liveSettings);
