# Compares the arithmetic of missing values with R's: each trait standardized
# over its present values as scale() does it, and each pair's distance over
# the traits both varieties have, scaled up to all traits, as dist() does it.
#
# For R's own data sets, airquality with the gaps it has (44 of 918 values,
# in two traits) and mtcars, USArrests, swiss and iris with gaps punched at a
# fixed seed (heavily enough in one case that some pairs share no trait), it
# writes the table, runs `missing_driver` on it and checks:
#   - the count of missing values, of values and of traits with a gap;
#   - every standardized value against scale(x), every distance against
#     dist(scale(x)), to 1e-12 relative (1e-14 absolute near 0, where both
#     are a few ulps of numbers of order 1 from the exact value), NA exactly
#     where R has NA;
#   - with a least number of common traits K, NA where fewer than K traits
#     are common and dist's value elsewhere;
#   - the count of pairs without a distance and the first of them;
#   - the same output for 1 and 3 threads;
#   - a trait that scale() cannot standardize (one present value, or present
#     values all equal: its column NaN) stops the driver at that trait.
#
# With --program, the same cases go through the built program instead, as a
# user runs it: R writes each table with write.csv (NA for a gap), kyori
# reads it and writes its standardized values (--standardized) and its
# distances (--format=csv), which read.csv reads back; the same checks
# hold, and the line on standard error that counts the gaps. Trees on cases
# where every pair has a distance (--tree, four linkages) have the
# cophenetic distances of hclust on dist(scale(x)), read with ape when it is
# installed. A trait scale() cannot standardize stops the program with exit
# status 1 and a line that names the trait and says why.
#
# Usage: Rscript r_reference.R DRIVER            the driver
#        Rscript r_reference.R --program KYORI   the program
# Exit status 0 when all held, 1 when one failed.
args <- commandArgs(trailingOnly = TRUE)
program <- if (length(args) == 2 && args[1] == "--program") normalizePath(args[2]) else NULL
driver <- args[1]
failures <- 0
work <- tempfile("kyori-r-")
dir.create(work)

fail <- function(label, ...) {
  cat("FAIL", label, ":", sprintf(...), "\n")
  failures <<- failures + 1
}

format_value <- function(v) ifelse(is.na(v), "NA", sprintf("%.17g", v))

run_driver <- function(x, min_common = 1, jobs = 2) {
  x <- as.matrix(x)
  input <- c(paste(nrow(x), ncol(x)), apply(x, 1, function(row) paste(format_value(row), collapse = " ")))
  out <- suppressWarnings(system2(driver, c(min_common, jobs), input = input, stdout = TRUE))
  list(lines = out, status = if (is.null(attr(out, "status"))) 0 else attr(out, "status"))
}

parse_numbers <- function(lines) suppressWarnings(as.numeric(ifelse(lines == "NA", NA, lines)))

section <- function(out, from, to, count) {
  at <- match(from, out)
  values <- out[seq_len(count) + at]
  if (is.na(at) || (!is.null(to) && out[at + count + 1] != to)) stop("driver output has no section ", from)
  parse_numbers(values)
}

close_enough <- function(ours, theirs) {
  both <- !is.na(ours) & !is.na(theirs)
  abs(ours[both] - theirs[both]) <= pmax(1e-12 * pmax(abs(ours[both]), abs(theirs[both])), 1e-14)
}

compare <- function(label, what, ours, theirs) {
  if (length(ours) != length(theirs)) return(fail(label, "%s: %d values, R %d", what, length(ours), length(theirs)))
  if (!identical(is.na(ours), is.na(theirs))) {
    k <- which(is.na(ours) != is.na(theirs))[1]
    return(fail(label, "%s %d: %s, R %s", what, k, format_value(ours[k]), format_value(theirs[k])))
  }
  ok <- close_enough(ours, theirs)
  if (!all(ok)) {
    k <- which(!is.na(ours))[!ok][1]
    fail(label, "%s %d: %.17g, R %.17g", what, k, ours[k], theirs[k])
  }
  both <- !is.na(ours) & ours != 0
  if (any(both)) max(abs(ours[both] - theirs[both]) / abs(ours[both])) else 0
}

# R's distances with pairs of fewer than min_common common traits taken out.
reference_distances <- function(z, min_common) {
  d <- as.vector(dist(z))
  present <- !is.na(z)
  common <- as.vector(as.dist(present %*% t(present)))
  d[common < min_common] <- NA
  d
}

# ---- Through the program

# x with its rows named as write.csv names them (1, 2, ... where R has no
# names).
named <- function(x) {
  if (is.null(rownames(x))) rownames(x) <- as.character(seq_len(nrow(x)))
  x
}

# Runs kyori in `work` with `options` on x written as x.csv; its exit status
# and the lines on standard error.
run_program <- function(x, options) {
  write.csv(x, file.path(work, "x.csv"), na = "NA")
  err <- file.path(work, "stderr.txt")
  status <- suppressWarnings(system2(program, c(options, "x.csv", "out"), stdout = FALSE, stderr = err,
                                     env = "LANG=C"))
  # system2 runs in R's folder: the files are named from `work`.
  list(status = status, lines = readLines(err, warn = FALSE))
}

in_work <- function(code) {
  old <- setwd(work)
  on.exit(setwd(old))
  code
}

read_table_back <- function(name) {
  as.matrix(read.csv(file.path(work, name), row.names = 1, check.names = FALSE, fileEncoding = "UTF-8-BOM"))
}

count_line <- function(x) {
  if (!any(is.na(x))) return(character(0))
  traits <- sum(colSums(is.na(x)) > 0)
  sprintf("kyori: x.csv: %d of %d values missing, in %d trait%s", sum(is.na(x)), length(x), traits,
          if (traits == 1) "" else "s")
}

check_program_case <- function(label, x, min_common) {
  x <- named(x)
  out <- in_work(run_program(x, c(sprintf("--min-common=%d", min_common), "--format=csv", "--standardized=z.csv")))
  if (out$status != 0) return(fail(label, "exit status %d: %s", out$status, paste(out$lines, collapse = " | ")))
  if (!identical(out$lines, count_line(x)))
    fail(label, "standard error '%s', expected '%s'", paste(out$lines, collapse = " | "), count_line(x))
  z <- scale(x)
  ours_z <- read_table_back("z.csv")
  ours_d <- read_table_back("out")
  if (!identical(rownames(ours_z), rownames(x)) || !identical(colnames(ours_z), colnames(x)) ||
      !identical(rownames(ours_d), rownames(x)) || !identical(colnames(ours_d), rownames(x)))
    return(fail(label, "the tables' names are not the data's"))
  off_z <- compare(label, "standardized value", as.vector(t(ours_z)), as.vector(t(z)))
  theirs <- as.matrix(dist(z))
  present <- !is.na(z)
  theirs[present %*% t(present) < min_common] <- NA
  diag(theirs) <- 0
  off_d <- compare(label, "distance", as.vector(ours_d), as.vector(theirs))
  cat(sprintf("ok   %s (kyori): %d pairs without a distance; apart from R by %.1e (values), %.1e (distances)\n",
              label, sum(is.na(theirs)) / 2, off_z, off_d))
  invisible(sum(is.na(theirs)) / 2)
}

# A tree of every linkage on a case whose pairs all have a distance: its
# cophenetic distances, read back with ape, are hclust's. The tree's
# branches reach each merge's height from both sides, so the path between
# two leaves is twice the height at which they join.
check_program_tree <- function(label, x) {
  x <- named(as.matrix(x))
  if (!requireNamespace("ape", quietly = TRUE)) {
    cat("skip", label, ": the ape package is not installed (Debian: r-cran-ape)\n")
    skipped <<- TRUE
    return(invisible())
  }
  z <- scale(x)
  d <- dist(z)
  if (any(is.na(d))) return(fail(label, "a pair has no distance: the case is wrong"))
  for (method in c("average", "single", "complete", "ward")) {
    out <- in_work(run_program(x, c(paste0("--method=", method), "--tree=t.nwk")))
    if (out$status != 0) {
      fail(label, "%s: exit status %d: %s", method, out$status, paste(out$lines, collapse = " | "))
      next
    }
    tree <- ape::read.tree(file.path(work, "t.nwk"))
    tree$tip.label <- gsub("^'|'$", "", tree$tip.label)
    if (!setequal(tree$tip.label, rownames(x))) {
      fail(label, "%s: the tree's leaves are not the varieties", method)
      next
    }
    ours <- ape::cophenetic.phylo(tree)[rownames(x), rownames(x)] / 2
    theirs <- as.matrix(cophenetic(hclust(d, if (method == "ward") "ward.D2" else method)))
    before <- failures
    off <- compare(paste(label, method), "cophenetic distance", as.vector(ours), as.vector(theirs))
    if (failures == before) cat(sprintf("ok   %s, %s tree (kyori): apart from hclust by %.1e\n", label, method, off))
  }
}

check_program_stop <- function(label, x, kind, trait) {
  x <- named(x)
  unlink(file.path(work, "out"))
  out <- in_work(run_program(x, character(0)))
  name <- colnames(x)[trait + 1]
  why <- if (kind == "too-few-values") {
    sprintf("fewer than two present values (%d); standardizing needs two", sum(!is.na(x[, trait + 1])))
  } else {
    "all its present values are the same"
  }
  expected <- c(count_line(x), sprintf("kyori: x.csv: trait %d (%s): %s", trait + 1, name, why))
  if (out$status != 1 || !identical(out$lines, expected))
    return(fail(label, "status %d, '%s', expected '%s'", out$status, paste(out$lines, collapse = " | "),
                paste(expected, collapse = " | ")))
  if (file.exists(file.path(work, "out"))) return(fail(label, "a stopped run wrote its output"))
  cat("ok  ", label, "(kyori):", expected[2], "\n")
}

# ---- Through the driver

check_case <- function(label, x, min_common = 1) {
  x <- as.matrix(x)
  if (!is.null(program)) return(check_program_case(label, x, min_common))
  n <- nrow(x)
  m <- ncol(x)
  out <- run_driver(x, min_common)
  if (out$status != 0) return(fail(label, "driver exit status %d: %s", out$status, paste(out$lines, collapse = " | ")))
  expected_count <- sprintf("missing %d of %d in %d", sum(is.na(x)), n * m, sum(colSums(is.na(x)) > 0))
  if (out$lines[1] != expected_count) fail(label, "'%s', expected '%s'", out$lines[1], expected_count)

  z <- scale(x)
  off_z <- compare(label, "standardized value", section(out$lines, "standardized", "distances", n * m),
                   as.vector(t(z)))
  pairs <- n * (n - 1) / 2
  theirs <- reference_distances(z, min_common)
  off_d <- compare(label, "distance", section(out$lines, "distances", NULL, pairs), theirs)

  none <- which(is.na(theirs))
  lower <- which(lower.tri(matrix(0, n, n)), arr.ind = TRUE)  # dist's order: (row, col), row > col
  first <- if (length(none)) lower[none[1], c(2, 1)] - 1 else c(-1, -1)
  expected_none <- sprintf("no-distance %d first %d %d", length(none), first[1], first[2])
  if (out$lines[length(out$lines)] != expected_none)
    fail(label, "'%s', expected '%s'", out$lines[length(out$lines)], expected_none)

  one_thread <- run_driver(x, min_common, jobs = 1)
  three_threads <- run_driver(x, min_common, jobs = 3)
  if (!identical(one_thread$lines, out$lines) || !identical(three_threads$lines, out$lines))
    fail(label, "the output differs between 1, 2 and 3 threads")
  cat(sprintf("ok   %s: %s, %d pairs without a distance; apart from R by %.1e (values), %.1e (distances)\n",
              label, out$lines[1], length(none), off_z, off_d))
  invisible(length(none))
}

# Where scale() leaves a trait NaN, the driver stops at it.
check_stop <- function(label, x, kind, trait) {
  z <- scale(as.matrix(x))
  present <- !is.na(x[, trait + 1])
  if (!all(is.nan(z[present, trait + 1]))) fail(label, "R standardizes trait %d, the case is wrong", trait)
  if (!is.null(program)) return(check_program_stop(label, as.matrix(x), kind, trait))
  out <- run_driver(x)
  stop_line <- grep("^stop ", out$lines, value = TRUE)
  expected <- sprintf("stop %s %d %d", kind, trait, sum(!is.na(x[, trait + 1])))
  if (out$status != 1 || length(stop_line) != 1 || stop_line != expected)
    return(fail(label, "status %d, '%s', expected '%s'", out$status, paste(stop_line, collapse = ""), expected))
  cat("ok  ", label, ":", stop_line, "\n")
}

# Each value of x missing with probability `share`, at a fixed seed.
punch <- function(x, share, seed) {
  x <- as.matrix(x)
  set.seed(seed)
  x[matrix(runif(length(x)) < share, nrow(x))] <- NA
  x
}

air <- as.matrix(airquality)
if (sum(is.na(air)) != 44) fail("airquality", "%d values missing, expected 44", sum(is.na(air)))
check_case("airquality", air)
check_case("airquality, at least 5 traits in common", air, min_common = 5)
check_case("airquality, at least 6 traits in common", air, min_common = 6)
check_case("mtcars, 10% missing", punch(mtcars, 0.10, 1))
check_case("mtcars, 30% missing, at least 4 in common", punch(mtcars, 0.30, 2), min_common = 4)
check_case("USArrests, 10% missing", punch(USArrests, 0.10, 3))
sparse <- punch(USArrests, 0.60, 4)
if (check_case("USArrests, 60% missing", sparse) == 0)
  fail("USArrests, 60% missing", "no pair without a distance: the case shows nothing")
check_case("swiss, 10% missing", punch(swiss, 0.10, 5))
check_case("iris, 20% missing", punch(iris[, 1:4], 0.20, 6))
check_case("swiss, complete", swiss)

lone <- as.matrix(swiss)
lone[-3, "Agriculture"] <- NA
check_stop("swiss, one value of Agriculture", lone, "too-few-values", 1)
equal <- punch(mtcars, 0.10, 7)
equal[, "cyl"] <- ifelse(equal[, "cyl"] == 6, 6, NA)
check_stop("mtcars, the present cyl all 6", equal, "identical", 1)

skipped <- FALSE
if (!is.null(program)) {
  check_program_tree("airquality", air)
  check_program_tree("USArrests, 10% missing", punch(USArrests, 0.10, 3))
}
unlink(work, recursive = TRUE)

if (failures > 0) {
  cat(failures, "check(s) failed\n")
  quit(status = 1)
}
cat("all checks held\n")
if (skipped) quit(status = 77)
