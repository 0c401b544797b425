#include "frontend/help.h"

#include "version.h"

namespace kyori {

std::string HelpText() {
  return R"(Usage: kyori                         (the dialogue: questions in Japanese)
       kyori [OPTIONS] DATA OUTPUT

Reads the data file DATA, standardizes every trait to mean 0 and standard
deviation 1 (divisor n - 1), computes the Euclidean distance between every
pair of varieties and writes the standardized data and the distance table
to OUTPUT, with the same bytes the dialogue writes into its output file
(or, by --format, the distances as a CSV or TSV table).
No questions; nothing is written on success. `-` as DATA reads standard
input, `-` as OUTPUT writes standard output. OUTPUT is written to a
temporary file and renamed when complete; OUTPUT naming DATA is refused.

Options:
  -h, --help              this text, then exit
      --version           the version, then exit
      --console=WHEN      auto (default), cp932 or utf-8: the encoding of what
                          kyori writes to the terminal; auto is UTF-8 when the
                          output is a terminal and the locale is UTF-8
      --encoding=ENC      cp932 (default) or utf-8: the encoding of the two
                          headings in OUTPUT; names are copied as bytes
      --input=FORM        auto (default), kyori, csv or tsv: how DATA is read;
                          auto takes the kyori layout when the first field is
                          a number, else a table (tab, semicolon or comma
                          separated, by the header row); csv: comma, or
                          semicolon with the decimal comma; tsv: tab
      --arithmetic=KIND   auto (default): compatible for the report of a file
                          in the kyori layout of at most 300 varieties and 300
                          traits, accurate for any other and for every CSV or
                          TSV table (--format=csv|tsv); compatible: the report's
                          usual digits, with a warning for each trait whose
                          spread they miss by more than 0.1 %; accurate:
                          double precision throughout
      --format=FORM       report (default), csv or tsv: what OUTPUT holds; csv
                          and tsv: the distances as a square table, a header
                          row of the names, then each variety's name and its
                          distances (UTF-8 with a byte-order mark, CR LF)
      --standardized=FILE the standardized values as a table of the same
                          shape, trait names in the header: tab-separated
                          with --format=tsv, else comma-separated
      --tree=FILE         a tree of the varieties in Newick (UTF-8)
      --method=METHOD     average (default, UPGMA), single, complete, ward, nj
      --phylip=FILE       the distance matrix in PHYLIP's square format
      --svg=FILE          a picture: the tree beside a heatmap of distances
      --pca=PREFIX        the principal components of the standardized traits:
                          PREFIX_scores.csv, PREFIX_loadings.csv,
                          PREFIX_variance.csv and the biplot PREFIX_biplot.svg;
                          each component's largest loading (in absolute value)
                          is positive
      --groups=FILE       the varieties cut into groups from the tree of
                          --method (not nj): each one's group, silhouette width
                          and nearest other group (CSV); --svg and the biplot
                          are coloured by group
      --group-means=FILE  each group's size, silhouette, mean distance within,
                          and every trait's mean and sd in the data's units
      --k=K               the number of groups, 2 .. (varieties - 1); default:
                          the K from 2 to 10 with the largest average
                          silhouette width, named on standard error
      --matrix=FILE       the distances as NumPy's .npy: the condensed vector
                          (pair i, j with i < j, row by row), float64
      --matrix-precision=P float64 (default) or float32 for --matrix
      --neighbours=K      OUTPUT is, instead of the report, each variety's K
                          nearest others (1 to 1000) as CSV: variety, rank,
                          neighbour, distance; the accurate arithmetic, up to
                          1,000,000 varieties; takes none of the report's
                          options (--format, --standardized, --tree, --method,
                          --phylip, --matrix, --svg, --encoding, --arithmetic,
                          --pca, --groups, --group-means, --k)
      --duplicates=D      OUTPUT is every pair at a distance of at most D (0 or
                          more; 0: the same values) as CSV: variety, other,
                          distance; their count on standard error; as
                          --neighbours otherwise
      --jobs=N            threads (default: the machine's cores); the output
                          is the same for every N
      --missing=TEXTS     the texts that stand for a missing value, separated
                          by commas (default: an empty table cell, NA, N/A,
                          #N/A, NaN, ., -, ?); e.g. --missing=999; --missing=
                          for none. In the kyori layout an empty field stays
                          an error
      --min-common=K      with missing values, a pair of varieties sharing
                          fewer than K traits has no distance (default 1)
  --                      ends the options

The data file, in the kyori layout: the number of varieties, the number of
traits, the trait names, then for each variety its name and one value per
trait. Names end at a comma or a line end; values are separated by blanks,
commas or line ends. A mistake that moves the fields is refused with its
line. Or a table: a header row (a corner cell, then the trait names), then
one row per variety (its name, then its values), UTF-8 or Shift-JIS, as
spreadsheets save CSV. Up to 32767 varieties and 32767 traits, as memory
allows.

Missing values: each trait is standardized over its present values, and
each pair's distance is taken over the traits both varieties have, scaled
up to all traits (sqrt(m / c * sum)); a missing value and a pair without a
distance are written NA. A tree, --phylip or --svg needs every pair's
distance. Missing values take the accurate arithmetic (auto); with
--arithmetic=compatible they are refused.

  3 2                         variety,height,weight
  height,weight               A,95.5,18.2
  A,95.5 18.2                 B,88,17.9
  B,88 17.9                   C,102.25,20
  C,102.25 20

Exit status: 0 done; 1 the data or a file could not be used; 2 a usage error.

Examples:
  kyori --tree=rice.nwk --svg=rice.svg kyori_in.txt kyori_out.txt
  kyori --pca=rice --groups=groups.csv --svg=rice.svg kyori_in.txt out.txt
)";
}

std::string VersionText() { return std::string("kyori ") + KYORI_VERSION + "\n"; }

}  // namespace kyori
