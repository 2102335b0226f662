#pragma once

// The model run-time: files, textures, models and skeletons, meshes and
// skinning, animation controls with clocks, weights, easing and loops,
// track masks, poses, root motion and the camera. All of it works on the
// CPU; ".gr2" resources hold glTF 2.0 binary content (see gr2_layout.h).
//
// Handles from New/Instantiate/Begin calls are freed by the matching Free
// call; every Free call accepts null.

#include "platform/granny/granny_types.h"

// Files. The memory is copied; the caller may release it afterwards.
// A damaged or hostile file gives null.
granny_file* GrannyReadEntireFileFromMemory(granny_int32 MemorySize, void const* Memory);
granny_file_info* GrannyGetFileInfo(granny_file* File);
// Sections are kept whole (meshes are deformed from the file's vertices every
// frame), so this frees nothing.
void GrannyFreeFileSection(granny_file* File, granny_int32 SectionIndex);
// Data still used by a model instance, mesh binding or control stays alive
// until the last of them is freed.
void GrannyFreeFile(granny_file* File);

// Copies one mip level into caller memory in the given layout (8 bits per
// component, 3 or 4 bytes per pixel). The overlap of the two sizes is copied.
granny_bool32 GrannyCopyTextureImage(granny_texture const* Texture, granny_int32 ImageIndex,
                                     granny_int32 MIPIndex, granny_pixel_layout const* Layout,
                                     granny_int32 DestWidth, granny_int32 DestHeight,
                                     granny_int32 DestStride, void* Pixels);

// Models and skeletons.
granny_model_instance* GrannyInstantiateModel(granny_model const* Model);
// Also frees every control left without a target.
void GrannyFreeModelInstance(granny_model_instance* ModelInstance);
granny_skeleton* GrannyGetSourceSkeleton(granny_model_instance const* ModelInstance);
// Bone names compare without regard to letter case.
granny_bool32 GrannyFindBoneByNameLowercase(granny_skeleton const* Skeleton, char const* BoneName,
                                            granny_int32* BoneIndex);
// Moves the model matrix by the root motion that the instance's controls
// covered in the last SecondsElapsed of their clocks. Source and destination
// may be the same matrix.
void GrannyUpdateModelMatrix(granny_model_instance const* ModelInstance, granny_real32 SecondsElapsed,
                             granny_real32 const* ModelMatrix4x4, granny_real32* DestMatrix4x4);

// Poses.
granny_local_pose* GrannyNewLocalPose(granny_int32 BoneCount);
void GrannyFreeLocalPose(granny_local_pose* LocalPose);
granny_world_pose* GrannyNewWorldPose(granny_int32 BoneCount);
void GrannyFreeWorldPose(granny_world_pose* WorldPose);
// Blends every active control of the instance by weight, ease and mask; a
// bone that no control moves (or only partly) takes its rest transform for
// the missing weight. Bones past the pose's size are left out.
void GrannySampleModelAnimations(granny_model_instance const* ModelInstance, granny_int32 FirstBone,
                                 granny_int32 BoneCount, granny_local_pose* Result);
// World = local x parent's world; roots are placed by Offset4x4 (null:
// identity). Also fills the composite (inverse rest world x world) matrices.
void GrannyBuildWorldPose(granny_skeleton const* Skeleton, granny_int32 FirstBone, granny_int32 BoneCount,
                          granny_local_pose const* LocalPose, granny_real32 const* Offset4x4,
                          granny_world_pose* Result);
// An index outside the pose gives an identity matrix (or spare transform),
// never memory outside it.
granny_real32* GrannyGetWorldPose4x4(granny_world_pose const* WorldPose, granny_int32 BoneIndex);
granny_real32* GrannyGetWorldPoseComposite4x4Array(granny_world_pose const* WorldPose);
granny_transform* GrannyGetLocalPoseTransform(granny_local_pose const* LocalPose, granny_int32 BoneIndex);

// Transforms.
void GrannyMakeIdentity(granny_transform* Result);
// Result becomes "Transform first, then Result": a rotation post-multiplied
// onto a bone's local transform turns the bone about its own axes.
void GrannyPostMultiplyBy(granny_transform* Result, granny_transform const* Transform);
// The rest transform of a bone relative to the skeleton's root space.
void GrannyBuildSkeletonRelativeTransform(granny_skeleton const* Skeleton, granny_int32 BoneIndex,
                                          granny_transform* Result);

// Meshes.
granny_mesh_binding* GrannyNewMeshBinding(granny_mesh const* Mesh, granny_skeleton const* FromSkeleton,
                                          granny_skeleton const* ToSkeleton);
void GrannyFreeMeshBinding(granny_mesh_binding* Binding);
// One skeleton bone index per bone binding of the mesh; a bone the skeleton
// lacks maps to bone 0.
granny_int32 const* GrannyGetMeshBindingToBoneIndices(granny_mesh_binding const* Binding);
granny_bool32 GrannyMeshIsRigid(granny_mesh const* Mesh);
granny_int32 GrannyGetMeshVertexCount(granny_mesh const* Mesh);
void* GrannyGetMeshVertices(granny_mesh const* Mesh);
granny_data_type_definition* GrannyGetMeshVertexType(granny_mesh const* Mesh);
granny_int32 GrannyGetMeshIndexCount(granny_mesh const* Mesh);
// BytesPerIndex 2 or 4.
void GrannyCopyMeshIndices(granny_mesh const* Mesh, granny_int32 BytesPerIndex, void* DestIndices);
// Converts to the layout asked for (PNT332 or PWNT3432).
void GrannyCopyMeshVertices(granny_mesh const* Mesh, granny_data_type_definition const* VertexType,
                            void* DestVertices);
granny_int32 GrannyGetMeshTriangleGroupCount(granny_mesh const* Mesh);
granny_tri_material_group* GrannyGetMeshTriangleGroups(granny_mesh const* Mesh);
granny_texture* GrannyGetMaterialTextureByType(granny_material const* Material,
                                               granny_material_texture_type Type);

// Skinning: linear blend of the bound bones' composite matrices.
enum granny_deformation_type : granny_int32 {
    GrannyDeformPosition = 1,        // normals are copied unchanged
    GrannyDeformPositionNormal = 2,  // normals are turned and renormalised
};
// Input PWNT3432 (or PNT332: all bound to binding 0), output PNT332; any
// other pair gives null.
granny_mesh_deformer* GrannyNewMeshDeformer(granny_data_type_definition const* InputVertexType,
                                            granny_data_type_definition const* OutputVertexType,
                                            granny_deformation_type DeformationType);
void GrannyFreeMeshDeformer(granny_mesh_deformer* Deformer);
// MatrixIndices maps the mesh's bone bindings to matrices in MatrixBuffer4x4
// (as from GrannyGetMeshBindingToBoneIndices and the world pose composites).
void GrannyDeformVertices(granny_mesh_deformer const* Deformer, granny_int32 const* MatrixIndices,
                          granny_real32 const* MatrixBuffer4x4, granny_int32 VertexCount,
                          void const* SourceVertices, void* DestVertices);

// Controls. Clocks are in seconds. The local clock runs at Speed times the
// control clock; a negative speed plays backwards. Loop count 0 loops
// forever; a finite count holds the first or last pose past its range.
// A control is complete once its completion check flag is set and its clock
// has reached the time given to GrannyCompleteControlAt.
granny_controlled_animation_builder* GrannyBeginControlledAnimation(granny_real32 StartTime,
                                                                    granny_animation const* Animation);
granny_control* GrannyEndControlledAnimation(granny_controlled_animation_builder* Builder);
granny_bool32 GrannyFindTrackGroupForModel(granny_animation const* Animation, char const* ModelName,
                                           granny_int32* TrackGroupIndex);
void GrannySetTrackGroupTarget(granny_controlled_animation_builder* Builder, granny_int32 TrackGroupIndex,
                               granny_model_instance* ModelInstance);
// The mask's weights are copied.
void GrannySetTrackGroupModelMask(granny_controlled_animation_builder* Builder, granny_int32 TrackGroupIndex,
                                  granny_track_mask const* ModelMask);
void GrannyFreeControl(granny_control* Control);
granny_real32 GrannyGetControlClock(granny_control const* Control);
void GrannySetControlClock(granny_control* Control, granny_real32 NewClock);
void GrannySetControlRawLocalClock(granny_control* Control, granny_real32 LocalClock);
granny_real32 GrannyGetControlLocalDuration(granny_control const* Control);
void GrannySetControlSpeed(granny_control* Control, granny_real32 Speed);
granny_real32 GrannyGetControlWeight(granny_control const* Control);
void GrannySetControlWeight(granny_control* Control, granny_real32 Weight);
granny_int32 GrannyGetControlLoopCount(granny_control const* Control);
void GrannySetControlLoopCount(granny_control* Control, granny_int32 LoopCount);
granny_bool32 GrannyControlIsActive(granny_control const* Control);
void GrannySetControlActive(granny_control* Control, granny_bool32 Active);
granny_bool32 GrannyControlIsComplete(granny_control const* Control);
void GrannyCompleteControlAt(granny_control* Control, granny_real32 AtSeconds);
void GrannySetControlCompletionCheckFlag(granny_control* Control, granny_bool32 CheckComplete);
// Eases the weight's multiplier up to 1 (from 0, or from where it stands) or
// down to 0 over Duration seconds of the control clock, along a smooth curve.
void GrannyEaseControlIn(granny_control* Control, granny_real32 Duration, granny_bool32 FromCurrent);
// Returns the clock at which the ease ends.
granny_real32 GrannyEaseControlOut(granny_control* Control, granny_real32 Duration);
// Animations bind to models when a control is made, so there is no binding
// cache to size or flush.
void GrannySetMaximumAnimationBindingCount(granny_int32 BindingCountMax);
void GrannyFlushAllUnusedAnimationBindings();

// Track masks: one weight per bone, multiplied into a control's weight.
granny_track_mask* GrannyNewTrackMask(granny_real32 DefaultWeight, granny_int32 BoneCount);
void GrannySetTrackMaskBoneWeight(granny_track_mask* Mask, granny_int32 BoneIndex, granny_real32 Weight);
// Sets the weight of the bone and of every bone below it.
void GrannySetSkeletonTrackMaskChainDownwards(granny_track_mask* Mask, granny_skeleton const* Skeleton,
                                              granny_int32 ChainOriginBoneIndex, granny_real32 Weight);
granny_track_mask* GrannyCopyTrackMask(granny_track_mask const* Mask);
// Every weight w becomes 1 - w.
void GrannyInvertTrackMask(granny_track_mask* Mask);
void GrannyFreeTrackMask(granny_track_mask* Mask);

// Camera: left-handed, depth 0..1. The view looks along the orbit frame's +z
// at Position from Offset (an Offset of (0, 0, d) stands d in front of it);
// the orbit frame turns by roll (z), then elevation (x; positive looks down
// from above), then azimuth (y), then Orientation.
void GrannyInitializeDefaultCamera(granny_camera* Camera);
void GrannySetCameraAspectRatios(granny_camera* Camera, granny_real32 PhysicalAspectRatio,
                                 granny_real32 ScreenWidth, granny_real32 ScreenHeight,
                                 granny_real32 WindowWidth, granny_real32 WindowHeight);
// The usual display shape (4:3, 16:10 or 16:9) nearest to the pixel size's.
granny_real32 GrannyGetMostLikelyPhysicalAspectRatio(granny_int32 ScreenWidth, granny_int32 ScreenHeight);
void GrannyBuildCameraMatrices(granny_camera* Camera);
// Window point with y counted up from the bottom row; the ray starts on the
// near plane, its direction is unit length.
void GrannyGetPickingRay(granny_camera const* Camera, granny_real32 WindowWidth, granny_real32 WindowHeight,
                         granny_real32 MouseX, granny_real32 MouseY, granny_real32* Origin3,
                         granny_real32* Normal3);
// The box is in the space that Transform4x4 takes to the ray's space.
granny_bool32 GrannyRayIntersectsBox(granny_real32 const* Transform4x4, granny_real32 const* Origin3,
                                     granny_real32 const* Normal3, granny_real32 const* Min3,
                                     granny_real32 const* Max3);

constexpr granny_int32 GrannyProductMajorVersion = 2;
constexpr granny_int32 GrannyProductMinorVersion = 4;
constexpr granny_int32 GrannyProductCustomization = 0;
constexpr granny_int32 GrannyProductBuildNumber = 4;
granny_bool32 GrannyVersionsMatch(granny_int32 MajorVersion, granny_int32 MinorVersion,
                                  granny_int32 Customization, granny_int32 BuildNumber);
