# zarvik_embed_movie(<target> <resource name> <movie file>)
#
# Keeps a movie inside <target> as an RCDATA resource, the way the Flash control kept its
# design-time movie with the window; MoviePlayer::LoadMovieFromResource(module, "<resource
# name>") plays it. The movies the build makes live in ${ZARVIK_MOVIE_DIR}; for the title:
#
#   zarvik_embed_movie(Zarvik TITLE_MOVIE ${ZARVIK_MOVIE_DIR}/title.swf)
set(ZARVIK_MOVIE_DIR ${PROJECT_BINARY_DIR}/program CACHE INTERNAL "Where the build puts title.swf and credits.swf")

function(zarvik_embed_movie target name file)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_${name}.rc)
  file(CONFIGURE OUTPUT ${rc} CONTENT "${name} RCDATA \"${file}\"\n")
  target_sources(${target} PRIVATE ${rc})
  # windres does not report the files a script names: rebuild when the movie changes.
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${file})
  add_dependencies(${target} zarvik_movies)
endfunction()
