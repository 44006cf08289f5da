// `quorvel model FILE`: what a 3DD model file holds, read with the module's own loader.
// `quorvel model --from-obj IN.obj OUT.3dd`: writes a model file from a Wavefront OBJ mesh.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/cli/commands.h"
#include "model/model_chain.h"
#include "model/model_loader.h"
#include "model/obj_reader.h"

namespace {

struct ModelOptions {
  std::vector<std::string> files;
  bool from_obj = false;
};

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "quorvel model: %s\n", message.c_str());
  throw CLI::RuntimeError(kExitFailure);
}

void PrintObjectHeader(int index, const ModelObjectHeader& h) {
  std::printf("object %d \"%s\": %d vertices, %d triangles\n", index, h.name, h.vertex_count,
              h.triangle_count);
  std::printf("  flags: normals %s, texture coordinates %s, material indices %s\n",
              h.has_normals ? "yes" : "no", h.has_uvs ? "yes" : "no", h.has_materials ? "yes" : "no");
  std::printf("  sections: %d materials, %d textures, %d lights, %d glass\n", h.material_count,
              h.texture_count, h.light_count, h.glass_count);
}

void PrintBounds(const LoadedModel& m) {
  if (m.vertex_count == 0) {
    std::printf("  bounding box: empty\n");
    return;
  }
  float lo[3] = {m.vertices[0].x, m.vertices[0].y, m.vertices[0].z};
  float hi[3] = {lo[0], lo[1], lo[2]};
  for (int k = 0; k < m.vertex_count; ++k) {
    const float p[3] = {m.vertices[k].x, m.vertices[k].y, m.vertices[k].z};
    for (int a = 0; a < 3; ++a) lo[a] = std::min(lo[a], p[a]), hi[a] = std::max(hi[a], p[a]);
  }
  std::printf("  bounding box: (%g, %g, %g) to (%g, %g, %g)\n", lo[0], lo[1], lo[2], hi[0], hi[1],
              hi[2]);
}

// Says why a file the loader rejected is bad, as far as the headers tell.
std::string Diagnose(const ModelSource* source, const std::vector<ModelObjectHeader>& chain,
                     int read) {
  ModelFileHeader file;
  if (!ReadModelFileHeader(source, &file))
    return "not a 3DDv10 model file (bad or short file header)";
  if (read < 1) return "the first object's header lies outside the file";
  return "object \"" + std::string(chain[0].name) +
         "\" has data outside the file or a triangle index beyond its vertices";
}

void Describe(const std::string& path) {
  ModelSource source;
  if (!OpenFileSource(path.c_str(), &source)) Fail("cannot open " + path);
  ModelFileHeader file;
  const bool header_ok = ReadModelFileHeader(&source, &file);
  const int64_t most = source.size / 72;
  std::vector<ModelObjectHeader> chain(header_ok ? static_cast<size_t>(std::min<int64_t>(file.object_count, most)) : 0);
  bool intact = false;
  const int read = header_ok ? ReadModelObjectChain(&source, chain.data(), static_cast<int>(chain.size()), &intact) : -1;
  ModelWishes all = {true, true, true, true, true};
  LoadedModel model;
  const bool loaded = LoadModelFromSource(&source, all, &model);
  const std::string why = loaded ? "" : Diagnose(&source, chain, read);
  const long long bytes = static_cast<long long>(source.size);
  CloseFileSource(&source);
  if (!loaded) Fail(path + ": " + why);

  std::printf("%s: 3DDv10, %d object%s (%lld bytes)\n", path.c_str(), file.object_count,
              file.object_count == 1 ? "" : "s", bytes);
  PrintObjectHeader(0, chain[0]);
  PrintBounds(model);
  for (int k = 1; k < read; ++k) PrintObjectHeader(k, chain[k]);
  if (!intact || read < file.object_count)
    std::printf("the object chain breaks after object %d (of %d): a header outside the file, or a loop\n",
                read - 1, file.object_count);
  ReleaseLoadedModel(&model);
}

void FromObj(const std::string& in, const std::string& out) {
  modelkit::Object object;
  std::string error;
  if (!modelkit::ReadObjFile(in, &object, &error)) Fail(error);
  if (!modelkit::WriteModelFile(out, {object}, &error)) Fail(error);
  std::printf("%s: \"%s\", %zu vertices, %zu triangles, normals %s, texture coordinates %s\n",
              out.c_str(), object.name.c_str(), object.vertices.size(), object.triangles.size(),
              object.normals ? "yes" : "no", object.uvs ? "yes" : "no");
}

}  // namespace

void AddModelCommand(CLI::App& app) {
  auto options = std::make_shared<ModelOptions>();
  CLI::App* cmd = app.add_subcommand("model", "Describe a 3DD model file, or write one from an OBJ mesh");
  // File paths may start with '/', which is not an option here on any system.
  cmd->allow_windows_style_options(false);
  cmd->add_flag("--from-obj", options->from_obj, "Convert IN.obj into OUT.3dd");
  cmd->add_option("files", options->files, "FILE, or IN.obj OUT.3dd with --from-obj")
      ->required()
      ->expected(1, 2);
  cmd->callback([options] {
    if (options->from_obj) {
      if (options->files.size() != 2) Fail("--from-obj needs IN.obj and OUT.3dd");
      FromObj(options->files[0], options->files[1]);
    } else {
      if (options->files.size() != 1) Fail("give one model file (or --from-obj IN OUT)");
      Describe(options->files[0]);
    }
    if (FinishOutput("model", 0) != 0) throw CLI::RuntimeError(kExitFailure);
  });
}
