# Lays out the npm package in STAGE from the two builds of the module (ESM, CJS)
# and the sources in SOURCE, then packs it with npm (when NPM is set) into
# OUT/colorune-VERSION.tgz. Run by the web build:
#   cmake -DSOURCE=... -DSTAGE=... -DOUT=... -DESM=... -DCJS=... -DLICENSE=... -DNPM=... -P assemble.cmake
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
configure_file(${ESM} ${STAGE}/index.mjs COPYONLY)
configure_file(${CJS} ${STAGE}/index.cjs COPYONLY)
configure_file(${SOURCE}/index.d.ts ${STAGE}/index.d.mts COPYONLY)
configure_file(${SOURCE}/index.d.ts ${STAGE}/index.d.cts COPYONLY)
configure_file(${SOURCE}/markdown-it.d.mts ${STAGE}/markdown-it.d.mts COPYONLY)
configure_file(${SOURCE}/markdown-it.d.cts ${STAGE}/markdown-it.d.cts COPYONLY)
configure_file(${SOURCE}/README.md ${STAGE}/README.md COPYONLY)
configure_file(${LICENSE} ${STAGE}/LICENSE COPYONLY)
configure_file(${SOURCE}/package.json.in ${STAGE}/package.json @ONLY)

# The plugin once, for each kind of module.
file(READ ${SOURCE}/markdown-it.js plugin)
file(WRITE ${STAGE}/markdown-it.mjs "import { toHtml } from './index.mjs';\n\n${plugin}\nexport default colorune;\n")
file(WRITE ${STAGE}/markdown-it.cjs
     "'use strict';\nconst { toHtml } = require('./index.cjs');\n\n${plugin}\nmodule.exports = colorune;\n")

if(NPM)
  file(REMOVE ${OUT}/colorune-${PROJECT_VERSION}.tgz)
  execute_process(COMMAND ${NPM} pack --quiet --pack-destination ${OUT}
                  WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE status OUTPUT_QUIET)
  if(NOT status EQUAL 0 OR NOT EXISTS ${OUT}/colorune-${PROJECT_VERSION}.tgz)
    message(FATAL_ERROR "npm pack failed in ${STAGE}")
  endif()
endif()
