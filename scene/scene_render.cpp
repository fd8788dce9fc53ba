// The scene drawn through the graphics layer. The draw list comes in scene
// order; draws of one slot (and of its distant mesh) are gathered into one
// instanced draw per subset, all opaque subsets first, translucent ones after. Nothing of it is
// blended, so with the depth test the picture is the one the draws made one by one give; only the
// held piece's see-through preview is blended, drawn by itself over the finished picture.
#include "scene/scene_render.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "app/game_state.h"
#include "app/platform_hooks.h"
#include "gfx/matrix.h"
#include "gfx/scene_renderer.h"
#include "scene/cell_cover.h"
#include "scene/debris.h"
#include "scene/element_meshes.h"
#include "scene/picking.h"
#include "scene/scene_draw.h"

namespace {

struct GlMeshCopy final : MeshDeviceCopy {
    SceneMeshBuffers buffers;
    ~GlMeshCopy() override { ReleaseSceneMesh(buffers); }
};

struct SceneRenderState {
    bool started = false;
    std::vector<ElementDraw> draws;
    std::vector<uint8_t> hidden;      // per draw: a cell walled in on all six sides
    std::vector<uint8_t> hiddenFaces; // per draw: the faces of its cell a neighbour closes off, turned with the piece
    std::vector<uint8_t> covered;     // per cell: the faces its piece closes off
    const MeshData* coverOf[elementMeshSlots] = {};
    CellCover cover[elementMeshSlots];
    std::vector<int> drawCell;        // per draw: the cell it fills, or -1
    // The instance lists: per slot, then per slot's distant mesh; and the
    // order they are drawn in (mean height, negated; list).
    std::vector<SceneInstance> instances[2 * elementMeshSlots];
    std::vector<std::pair<float, int>> listOrder;
    std::vector<std::pair<float, int>> order;  // the shown draws: squared distance from the eye, index
    std::vector<MeshVertex> debrisVertices;
    std::vector<DebrisBatch> debrisBatches;
    // What the generic mesh draw (the sky) uses: the current material and world.
    SceneMaterial currentMaterial;
    uint32_t currentTexture = 0;
    SceneInstance currentWorld;
    SceneDrawStats stats;
    FrameExtent extent;  // the last frame's
    // The device's textures by file, with the meshes using each: a ball and
    // its distant mesh name the same image, and the device holds it once.
    struct SharedTexture {
        std::string path;
        TextureHandle texture = 0;
        int users = 0;
    };
    std::vector<SharedTexture> textures;
};

SceneRenderState render;

SceneMaterial ToSceneMaterial(const Material& m) {
    SceneMaterial s;
    std::copy(m.diffuse, m.diffuse + 4, s.diffuse);
    std::copy(m.ambient, m.ambient + 4, s.ambient);
    std::copy(m.emissive, m.emissive + 4, s.emissive);
    return s;
}

// The device's vertices and indices for a mesh, each vertex with the face of
// the cell's box its triangles lie on (-1: none, or not all of them). A
// vertex a triangle on a face shares with other triangles is given to it in a
// copy of its own, so a hidden face drops its triangles whole.
struct DeviceVertices {
    std::vector<MeshVertex> vertices;
    std::vector<uint16_t> indices;
    std::vector<float> boxFaces;
};

DeviceVertices TagBoxFaces(const MeshData& master) {
    DeviceVertices out{master.vertices, master.indices, std::vector<float>(master.vertices.size(), -1.0f)};
    const std::vector<int8_t> faces = TriangleBoxFaces(master);
    constexpr int unseen = -2, mixed = -3;
    std::vector<int> shared(master.vertices.size(), unseen);  // the one face all of a vertex's triangles lie on
    for (size_t i = 0; i < master.indices.size(); ++i) {
        int& f = shared[master.indices[i]];
        const int face = faces[i / 3];
        f = f == unseen || f == face ? face : mixed;
    }
    for (size_t v = 0; v < shared.size(); ++v)
        if (shared[v] >= 0) out.boxFaces[v] = static_cast<float>(shared[v]);
    std::map<std::pair<uint16_t, int>, uint16_t> copies;
    for (size_t i = 0; i < out.indices.size(); ++i) {
        const int face = faces[i / 3];
        const uint16_t v = master.indices[i];
        if (face < 0 || shared[v] == face) continue;
        auto [at, added] = copies.emplace(std::make_pair(v, face), static_cast<uint16_t>(out.vertices.size()));
        if (added) {
            if (out.vertices.size() >= 0xFFFF) return {master.vertices, master.indices, {}};  // too many: no face hides
            out.vertices.push_back(master.vertices[v]);
            out.boxFaces.push_back(static_cast<float>(face));
        }
        out.indices[i] = at->second;
    }
    return out;
}

std::unique_ptr<MeshDeviceCopy> CreateCopy(const MeshData& master) {
    auto copy = std::make_unique<GlMeshCopy>();
    const DeviceVertices device = TagBoxFaces(master);
    if (!CreateSceneMesh(device.vertices.data(), device.vertices.size(), device.indices.data(), device.indices.size(),
                         device.boxFaces.empty() ? nullptr : device.boxFaces.data(), copy->buffers))
        return nullptr;
    return copy;
}

TextureHandle LoadSharedTexture(const std::string& path) {
    for (auto& shared : render.textures)
        if (shared.path == path) {
            ++shared.users;
            return shared.texture;
        }
    const TextureHandle texture = LoadSceneTexture(path);
    if (texture != 0) render.textures.push_back({path, texture, 1});
    return texture;
}

void ReleaseSharedTexture(TextureHandle texture) {
    const auto shared = std::find_if(render.textures.begin(), render.textures.end(),
                                     [&](const auto& t) { return t.texture == texture; });
    if (shared != render.textures.end()) {
        if (--shared->users > 0) return;
        render.textures.erase(shared);
    }
    ReleaseSceneTexture(texture);
}

void SetMaterial(const Material& material, TextureHandle texture) {
    render.currentMaterial = ToSceneMaterial(material);
    render.currentTexture = texture;
}

void DrawSubset(const MeshDeviceCopy& copy, const MeshData& master, int subset) {
    if (subset < 0 || subset >= static_cast<int>(master.subsets.size())) return;
    const MeshSubset& s = master.subsets[static_cast<size_t>(subset)];
    DrawSceneInstances(static_cast<const GlMeshCopy&>(copy).buffers, 3 * s.faceStart, 3 * s.faceCount,
                       render.currentMaterial, render.currentTexture, &render.currentWorld, 1, false);
}

bool DrawnDistant(const ElementDraw& d) {
    const Matrix4& w = d.world;
    const float scale = std::sqrt(w.m[0][0] * w.m[0][0] + w.m[0][1] * w.m[0][1] + w.m[0][2] * w.m[0][2]);
    return ::DrawnDistant(d.slot, {w.m[3][0], w.m[3][1], w.m[3][2]}, scale);
}

const Mesh& MeshOfDraw(const ElementDraw& d) {
    return DrawnDistant(d) ? distantMeshes[d.slot] : elementMeshes[d.slot];
}

// The lists highest first. Pieces stand on others and the camera always
// looks down on the board, so what stands higher mostly covers what lies
// below; drawn first, it lets the depth test turn away the hidden pixels of
// the rest before they are shaded (a third fewer on a board full of pieces).
void OrderLists() {
    render.listOrder.clear();
    for (int at = 0; at < 2 * elementMeshSlots; ++at) {
        const std::vector<SceneInstance>& list = render.instances[at];
        if (list.empty()) continue;
        float height = 0.0f;
        for (const SceneInstance& instance : list) height += instance.world.m[3][1];
        render.listOrder.push_back({-height / static_cast<float>(list.size()), at});
    }
    std::sort(render.listOrder.begin(), render.listOrder.end());
}

// One pass over the lists: every subset of the pass, with all of the list's instances.
void DrawLists(bool opaque) {
    for (const auto& [height, at] : render.listOrder) {
        const std::vector<SceneInstance>& list = render.instances[at];
        const Mesh& mesh = at < elementMeshSlots ? elementMeshes[at] : distantMeshes[at - elementMeshSlots];
        if (list.empty() || !mesh.deviceCopy || !mesh.master) continue;
        const auto& buffers = static_cast<const GlMeshCopy&>(*mesh.deviceCopy).buffers;
        for (size_t i = 0; i < mesh.materials.size(); ++i) {
            const Material& m = mesh.materials[i];
            const bool drawn = opaque ? m.diffuse[3] >= 1.0f : m.diffuse[3] != 1.0f;
            if (!drawn) continue;
            const MeshSubset& s = mesh.master->subsets[i];
            DrawSceneInstances(buffers, 3 * s.faceStart, 3 * s.faceCount, ToSceneMaterial(m), mesh.textures[i],
                               list.data(), static_cast<int>(list.size()), i == 0);
            render.currentMaterial = ToSceneMaterial(m);
            render.stats.instances += static_cast<int>(list.size());
        }
    }
}

// The cover of each slot's mesh, worked out again when the mesh changes.
const CellCover& SlotCover(int slot) {
    const MeshData* master = elementMeshes[slot].master.get();
    if (render.coverOf[slot] != master) {
        render.coverOf[slot] = master;
        render.cover[slot] = CellCoverOf(elementMeshes[slot]);
    }
    return render.cover[slot];
}

// Marks the draws of cells that cannot be seen: the piece lies inside its
// cell and the neighbour across each face of the cell turned to the eye (at
// most three) closes off that face. Every ray into such a cell enters it
// through one of those faces, so it meets a nearer front face first, and the
// picture stays the same. The same holds for one face of a cell that is
// seen: the triangles lying on it are left out. Both need the neighbours'
// nearer front faces drawn: near the eye (the nearest zoom, low, or the eye
// inside a tall board) the near plane cuts them away or the eye is inside
// them (then the neighbourhood reaches depth 0), and there nothing is left
// out but the cells wholly behind the near plane, which it clips away.
void MarkHiddenCells(const SceneView& view) {
    const Vec3 eye = view.eye;
    const CellDepthReach reach =
        CellDepthReachOf(view.view, {0.5f * cellSpacingX, 0.5f * cellSpacingY, 0.5f * cellSpacingZ});
    const size_t n = render.draws.size();
    render.hidden.assign(n, 0);
    render.hiddenFaces.assign(n, 0);
    render.drawCell.resize(n);
    render.covered.assign(static_cast<size_t>(board.cellCount), 0);
    for (size_t i = 0; i < n; ++i) {
        const ElementDraw& d = render.draws[i];
        render.drawCell[i] = d.cell;
        if (d.cell < 0) continue;
        const CellCover& cover = SlotCover(d.slot);
        // A cell's piece that pokes out of it covers nothing and is never hidden.
        if (!cover.insideCell) {
            render.drawCell[i] = -1;
            continue;
        }
        render.covered[static_cast<size_t>(d.cell)] |= TurnFaces(cover.faces, d.quarterTurns);
    }
    struct Side {
        int dx, dy, dz;
        CellFace face;  // the face of the neighbour that must be covered
    };
    static const Side sides[6] = {{-1, 0, 0, CellFace::PlusX}, {1, 0, 0, CellFace::MinusX},
                                  {0, -1, 0, CellFace::PlusY}, {0, 1, 0, CellFace::MinusY},
                                  {0, 0, -1, CellFace::PlusZ}, {0, 0, 1, CellFace::MinusZ}};
    for (size_t i = 0; i < n; ++i) {
        if (render.drawCell[i] < 0) continue;
        int x, y, z;
        board.CellOf(render.drawCell[i], x, y, z);
        const Vec3 centre = WorldFromCell(x, y, z);
        const float depth = Dot(centre, reach.axis) + reach.offset;
        if (depth + reach.cellReach < nearPlane) render.hidden[i] = 1;
        if (depth - reach.aroundReach < nearPlane) continue;
        // The eye from the cell's centre, in half cells.
        const Vec3 fromCentre = CellFromWorld(eye - centre);
        const float ex = 2.0f * fromCentre.x, ey = 2.0f * fromCentre.y, ez = 2.0f * fromCentre.z;
        bool hidden = true;
        uint8_t closed = 0;
        for (const Side& s : sides) {
            const int nx = x + s.dx, ny = y + s.dy, nz = z + s.dz;
            const bool covered = board.Contains(nx, ny, nz) &&
                                 (render.covered[static_cast<size_t>(board.Index(nx, ny, nz))] & FaceBit(s.face)) != 0;
            if (covered) closed |= FaceBit(OppositeFace(s.face));
            // A ray from the eye enters the cell through a face turned to the
            // eye; the faces turned away need no cover.
            const float out = static_cast<float>(s.dx) * ex + static_cast<float>(s.dy) * ey + static_cast<float>(s.dz) * ez;
            const bool facesEye = out > 1.0f;
            if (facesEye) hidden = hidden && covered;
        }
        render.hidden[i] = hidden;
        // The faces a neighbour closes off, in the mesh's own turn: the
        // piece's triangles on them are never seen.
        const int turns = render.draws[i].quarterTurns & 3;
        render.hiddenFaces[i] = TurnFaces(closed, (4 - turns) & 3);
    }
}

// Debris from one buffer, seen from both sides, each burst in the material of
// the mesh it came from.
void DrawDebris() {
    debrisList.FillDrawBuffer(render.debrisVertices, render.debrisBatches);
    if (!render.debrisBatches.empty())
        UploadSceneTriangles(render.debrisVertices.data(), static_cast<uint32_t>(render.debrisVertices.size()));
    for (const DebrisBatch& batch : render.debrisBatches)
        DrawSceneTriangles(batch.firstVertex, batch.vertexCount, ToSceneMaterial(batch.material), batch.texture);
}

// The see-through draws (the held piece's preview), last over the finished
// picture, sky included: every material of the mesh with its diffuse alpha
// taken down to the draw's, blended and leaving the depth buffer alone.
void DrawSeeThrough() {
    bool blending = false;
    for (const ElementDraw& d : render.draws) {
        if (d.alpha >= 1.0f) continue;
        const Mesh& mesh = MeshOfDraw(d);
        if (!mesh.deviceCopy || !mesh.master) continue;
        if (!blending) SetSceneBlending(blending = true);
        SceneInstance instance;
        instance.world = d.world;
        std::copy(d.ambient, d.ambient + 3, instance.ambient);
        std::copy(d.shade, d.shade + 4, instance.shade);
        for (size_t i = 0; i < mesh.materials.size(); ++i) {
            SceneMaterial m = ToSceneMaterial(mesh.materials[i]);
            m.diffuse[3] *= d.alpha;
            const MeshSubset& s = mesh.master->subsets[i];
            DrawSceneInstances(static_cast<const GlMeshCopy&>(*mesh.deviceCopy).buffers, 3 * s.faceStart,
                               3 * s.faceCount, m, mesh.textures[i], &instance, 1, i == 0);
        }
    }
    if (blending) SetSceneBlending(false);
}

// The sky, unlit, leaving the depth buffer alone.
void DrawSky(const FrameExtent& extent) {
    render.currentWorld.world = SkyboxWorld(extent);
    SetSceneLighting(false);
    SetSceneSkyDepth(true);
    skyboxMesh.Draw(true, true);
    SetSceneSkyDepth(false);
    SetSceneLighting(true);
}

}  // namespace

bool StartSceneDrawing(std::string& message) {
    if (!StartSceneRenderer(message)) return false;
    meshDeviceHooks.createCopy = CreateCopy;
    meshDeviceHooks.loadTexture = LoadSharedTexture;
    meshDeviceHooks.releaseTexture = ReleaseSharedTexture;
    meshDeviceHooks.setMaterial = SetMaterial;
    meshDeviceHooks.drawSubset = DrawSubset;
    render.started = true;
    return true;
}

void StopSceneDrawing() {
    debrisList.Clear();
    DestroySceneMeshes();
    meshDeviceHooks = MeshDeviceHooks{};
    StopSceneRenderer();
    render.started = false;
}

void DrawScene() {
    render.stats = {};
    if (!render.started) return;
    // 1. The view, the light, for the extent of the frame's step.
    const FrameExtent extent = render.extent;
    SetupView(extent.width, extent.depth, PictureClockMilliseconds());
    BeginScene(sceneView.view, sceneView.projection, sceneView.lightPosition);

    // 2. Cells, stock ring, balls and arrows, gathered by slot, the slots
    // highest first and each slot's draws nearest first. The depth test then turns away most of the hidden pixels
    // before they are shaded.
    CollectSceneDraws(extent, render.draws);
    MarkHiddenCells(sceneView);
    const Vec3 eye = sceneView.eye;
    render.order.clear();
    for (size_t i = 0; i < render.draws.size(); ++i) {
        if (render.hidden[i] || render.draws[i].alpha < 1.0f) continue;
        const Matrix4& w = render.draws[i].world;
        const float dx = w.m[3][0] - eye.x, dy = w.m[3][1] - eye.y, dz = w.m[3][2] - eye.z;
        render.order.push_back({dx * dx + dy * dy + dz * dz, static_cast<int>(i)});
    }
    std::sort(render.order.begin(), render.order.end());
    for (auto& list : render.instances) list.clear();
    for (const auto& entry : render.order) {
        const ElementDraw& d = render.draws[static_cast<size_t>(entry.second)];
        SceneInstance instance;
        instance.world = d.world;
        std::copy(d.ambient, d.ambient + 3, instance.ambient);
        std::copy(d.shade, d.shade + 4, instance.shade);
        instance.hiddenFaces = static_cast<float>(render.hiddenFaces[static_cast<size_t>(entry.second)]);
        render.instances[DrawnDistant(d) ? elementMeshSlots + d.slot : d.slot].push_back(instance);
    }
    OrderLists();
    DrawLists(true);
    DrawLists(false);

    // 3. Debris.
    DrawDebris();
    // 4. The sky, unlit, behind everything. It lies around the whole board,
    // so drawn last against the depth of the rest it shows exactly where a
    // sky drawn first would, and the software renderer shades only the
    // pixels left uncovered.
    DrawSky(extent);
    // 5. The held piece's preview, see-through over it all.
    DrawSeeThrough();
    render.stats.drawCalls = SceneDrawCalls();
    EndScene();
}

void StepScene(int ticks) {
    if (ticks != 0) debrisList.Update(static_cast<float>(ticks));
    render.extent = StepCamera();
}

void PickScene() { hoveredPick = PickSceneObjects(pointerX, pointerY); }

void InvalidateScene() { ReleaseSceneDeviceCopies(); }

bool RestoreScene() { return RestoreSceneDeviceCopies(); }

std::string SceneScreenPoints() {
    const Matrix4 viewProjection = MatrixMultiply(sceneView.view, sceneView.projection);
    std::string out;
    auto add = [&](const char* what, int id, Vec3 world) {
        const Vec3 p = TransformCoord(world, viewProjection);
        const int sx = static_cast<int>((p.x + 1.0f) * 0.5f * static_cast<float>(screenWidth));
        const int sy = static_cast<int>((1.0f - p.y) * 0.5f * static_cast<float>(screenHeight));
        out += std::string(out.empty() ? "" : " ") + what + std::to_string(id) + "=" + std::to_string(sx) + "," +
               std::to_string(sy);
    };
    if (board.cellCount > 1000) return out;  // up to the editor's first board
    StockRingItem items[stockRingItems];
    StockRingLayout(ExtentOf(static_cast<float>(board.sizeX), static_cast<float>(board.sizeZ)), camera.cameraYaw, items);
    for (const StockRingItem& item : items)
        if (item.kind >= 0 && item.kind < stockSlots && (board.stock[item.kind] > 0 || gameScreen == GameScreen::Editor))
            add("stock", item.kind, item.centre + DrawnMiddleOfKind(item.kind));
    for (int z = 0; z < board.sizeZ; ++z)
        for (int y = 0; y < board.sizeY; ++y)
            for (int x = 0; x < board.sizeX; ++x) {
                const int i = board.Index(x, y, z);
                if (y > 0 && KindOfValue(board.cells[static_cast<size_t>(i)]) == kindEmpty) continue;
                add("top", i, WorldFromCell(static_cast<float>(x), y + 0.5f, static_cast<float>(z)));
            }
    for (int b = 0; b < board.ballCount; ++b) {
        const Ball& ball = board.balls[b];
        const int id = board.cellCount + stockSlotCount + arrowsPerBall * b;
        const int direction = ball.direction;
        if (direction == static_cast<int8_t>(LaunchDirection::NoDirection)) {
            for (int a = 0; a < 4; ++a) add("arrow", id + a, LaunchArrowPlace(ball.position, a));
        } else {
            // A chosen direction's arrow lies on its side; an unset one's over the ball.
            const bool chosen = direction >= 1 && direction <= 4;
            add("arrow", id, LaunchArrowPlace(ball.position, chosen ? direction - 1 : -1));
        }
    }
    return out;
}

SceneDrawStats LastSceneDrawStats() { return render.stats; }

void DrawSceneOneByOne() {
    if (!render.started) return;
    BeginScene(sceneView.view, sceneView.projection, sceneView.lightPosition);
    DrawSky(render.extent);
    CollectSceneDraws(render.extent, render.draws);
    for (const ElementDraw& d : render.draws) {
        const Mesh& mesh = MeshOfDraw(d);
        if (!mesh.deviceCopy || !mesh.master || d.alpha < 1.0f) continue;
        SceneInstance instance;
        instance.world = d.world;
        std::copy(d.ambient, d.ambient + 3, instance.ambient);
        std::copy(d.shade, d.shade + 4, instance.shade);
        for (bool opaque : {true, false})
            for (size_t i = 0; i < mesh.materials.size(); ++i) {
                const Material& m = mesh.materials[i];
                if (opaque ? m.diffuse[3] < 1.0f : m.diffuse[3] == 1.0f) continue;
                const MeshSubset& s = mesh.master->subsets[i];
                DrawSceneInstances(static_cast<const GlMeshCopy&>(*mesh.deviceCopy).buffers, 3 * s.faceStart,
                                   3 * s.faceCount, ToSceneMaterial(m), mesh.textures[i], &instance, 1, i == 0);
            }
    }
    DrawDebris();
    DrawSeeThrough();
    EndScene();
}
