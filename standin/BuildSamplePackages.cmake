# Gives the build tree's sample game its compiled packages, with the UCC
# stand-in doing the compiling (cmake -P, no shell involved):
#   1. In a staging game beside it, compile Core, Engine, the LinkBase library
#      (its sources live in standin/fixtures, never in the sample) and LostLink,
#      whose classes need LinkBase. LinkBase.u and LostLink.u go into the
#      sample: LinkBase is the package with only its .u (for the exporter),
#      and LostLink.u is there as a mod's .u would be, so a make in the sample
#      skips it although LinkBase's sources are missing there.
#   2. Run the sample's own make, which compiles every other listed package.
# Both makes must succeed: a sample the stand-in rejects fails the build.
#
# Variables: UCC (the stand-in), SAMPLE (build tree's sample), FIXTURES
# (standin/fixtures), STAGING (scratch directory).
foreach(var UCC SAMPLE FIXTURES STAGING)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "BuildSamplePackages.cmake needs -D${var}=...")
  endif()
endforeach()

file(REMOVE_RECURSE "${STAGING}")
file(MAKE_DIRECTORY "${STAGING}/System")
file(COPY "${SAMPLE}/Core" "${SAMPLE}/Engine" "${SAMPLE}/LostLink" "${FIXTURES}/LinkBase"
     DESTINATION "${STAGING}")
file(WRITE "${STAGING}/System/UnrealTournament.ini"
  "[Editor.EditorEngine]\r\nEditPackages=Core\r\nEditPackages=Engine\r\nEditPackages=LinkBase\r\nEditPackages=LostLink\r\n")

function(run_make dir)
  execute_process(COMMAND "${UCC}" make -log=KelvarinBuild.log
    WORKING_DIRECTORY "${dir}"
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "The UCC stand-in's make failed in ${dir} (${result}):\n${output}")
  endif()
  file(REMOVE "${dir}/KelvarinBuild.log")
endfunction()

run_make("${STAGING}/System")
file(COPY "${STAGING}/System/LinkBase.u" "${STAGING}/System/LostLink.u" DESTINATION "${SAMPLE}/System")
file(REMOVE_RECURSE "${STAGING}")
run_make("${SAMPLE}/System")
