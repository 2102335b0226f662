#include "engine/world/scene_format.h"

#include "engine/base/datafile_bytes.h"

SceneHeader ReadSceneHeader(DatafileByteReader& reader)
{
    SceneHeader header;
    header.name = reader.FixedText(kSceneNameSize);
    header.viewCount = reader.U32();
    header.layerCount = reader.U32();
    header.hotspotCount = reader.U32();
    header.reserved = reader.U32();
    return header;
}

void WriteSceneHeader(DatafileByteWriter& writer, const SceneHeader& header)
{
    writer.FixedText(header.name, kSceneNameSize);
    writer.U32(header.viewCount);
    writer.U32(header.layerCount);
    writer.U32(header.hotspotCount);
    writer.U32(header.reserved);
}
